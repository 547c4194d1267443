#pragma once

#include "ScreenView.h"

class CSVHeaderViewController;
class QLabel;
class QListWidget;
class QPushButton;
class QToolButton;

// The CSV column mapping: the column list (each column and where it goes) or, after a column
// was picked, the field list; the count of mapped columns, Guess, and Import or Cancel.
class CSVHeaderView : public ScreenView {
    Q_OBJECT
public:
    explicit CSVHeaderView(CSVHeaderViewController *controller);

    QWidget *navigationRightWidget() override;
    bool hidesBackButton() const override;

protected:
    void refresh() override;

private:
    void scrollToRow(int row);

    CSVHeaderViewController *m_mapping;
    QLabel *m_header;
    QListWidget *m_rows;
    QLabel *m_footer;
    QPushButton *m_guess;
    QToolButton *m_rightButton;
};
