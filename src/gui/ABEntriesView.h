#pragma once

#include "ScreenView.h"

#include <QList>

class ABEntriesViewController;
class EntryDelegate;
class EntryListModel;
class QHBoxLayout;
class QLineEdit;
class QListView;
class QModelIndex;
class QProgressBar;
class QPushButton;
class QToolButton;
class SectionIndexBar;

// The contact selection list: the search bar, the sectioned rows with their ticks, the side
// index, the busy bar, the footer buttons and the mode's navigation button.
class ABEntriesView : public ScreenView {
    Q_OBJECT
public:
    explicit ABEntriesView(ABEntriesViewController *controller);

    QWidget *navigationRightWidget() override;

protected:
    void refresh() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void lineClicked(const QModelIndex &index);
    void openDetail(const QModelIndex &index);
    void scrollToSection(int section);
    void showPerson(int recordID);

    ABEntriesViewController *m_entries;
    QLineEdit *m_search;
    QListView *m_list;
    EntryListModel *m_model;
    EntryDelegate *m_delegate;
    SectionIndexBar *m_index;
    QProgressBar *m_busy;
    QList<QPushButton *> m_footer; // by tag - 1
    QToolButton *m_navigationButton;
};
