#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;

// The modal progress sheet: its title ("Please Wait ...\n\n" + task), one bar, no buttons. It
// cannot be closed by the user; a value of 1 or more closes it.
class ProgressSheet : public QDialog {
    Q_OBJECT
public:
    ProgressSheet(const QString &title, bool animated, QWidget *parent);
    void setTitle(const QString &title);

    // Answers false once the value closed the sheet.
    bool setValue(double value);
    double value() const;
    // Closes and deletes the sheet.
    void finish();

protected:
    void reject() override {}
    void closeEvent(QCloseEvent *event) override;

private:
    QLabel *m_label;
    QProgressBar *m_bar;
    bool m_closing = false;
};
