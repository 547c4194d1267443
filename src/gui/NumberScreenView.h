#pragma once

#include "ScreenView.h"

class NumberPassScreen;
class QLineEdit;
class QStackedWidget;
class QTextBrowser;
class QToolButton;
class QVBoxLayout;

// What the two number screens' views share: the form, the Preview and Commit buttons, the
// help text, the Done button in the navigation bar, and the preview report laid over the form
// once a pass has ended.
class NumberScreenView : public ScreenView {
    Q_OBJECT
public:
    QWidget *navigationRightWidget() override;
    bool hidesBackButton() const override;

protected:
    explicit NumberScreenView(NumberPassScreen *screen);
    // The form's layout; subclasses add their fields, then call finishForm.
    QVBoxLayout *formLayout() const { return m_formLayout; }
    void finishForm(const QString &helpText);
    void refresh() override;
    // A text field that gives up the focus on Return.
    static QLineEdit *textField(const QString &name, const QString &placeholder);
    // Keeps a field's text in step with the controller without moving its cursor.
    static void showText(QLineEdit *field, const QString &text);

private:
    NumberPassScreen *m_screen;
    QStackedWidget *m_pages;
    QVBoxLayout *m_formLayout;
    QTextBrowser *m_report;
    QToolButton *m_done;
    bool m_reportShown = false;
};
