#pragma once

#include "ScreenView.h"

class ABGroupEntriesViewController;
class EntryListModel;
class QLabel;
class QLineEdit;
class QListView;
class QModelIndex;
class QProgressBar;
class QToolButton;
class SectionIndexBar;

// The members of a group: search bar, the sectioned people with their ticks, the side index,
// the "%d members" line and the Export / Save button.
class ABGroupEntriesView : public ScreenView {
    Q_OBJECT
public:
    explicit ABGroupEntriesView(ABGroupEntriesViewController *controller);

    QWidget *navigationRightWidget() override;

protected:
    void refresh() override;

private:
    void lineClicked(const QModelIndex &index);

    ABGroupEntriesViewController *m_members;
    QLineEdit *m_search;
    QProgressBar *m_busy;
    QListView *m_list;
    EntryListModel *m_model;
    SectionIndexBar *m_index;
    QLabel *m_count;
    QToolButton *m_button;
};
