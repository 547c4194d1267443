#pragma once

#include "ScreenView.h"

class FileChooserViewController;
class QLabel;
class QListWidget;
class QToolButton;
class TwoLineDelegate;

// The files of the documents folder: icon, name (blue when it can be imported) and details
// per row, the section header and the note under the list. Edit turns on a Delete button on
// every row; the context menu (also opened with the Delete key) offers Delete as well.
class FileChooserView : public ScreenView {
    Q_OBJECT
public:
    explicit FileChooserView(FileChooserViewController *controller);

    QWidget *navigationRightWidget() override;

protected:
    void refresh() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setEditing(bool editing);
    void showRowMenu(int row, const QPoint &globalPosition);

    FileChooserViewController *m_chooser;
    QLabel *m_header;
    QListWidget *m_files;
    TwoLineDelegate *m_delegate;
    QLabel *m_footer;
    QToolButton *m_editButton;
    bool m_editing = false;
};
