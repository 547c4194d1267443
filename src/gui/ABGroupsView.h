#pragma once

#include "ScreenView.h"

class ABGroupsViewController;
class QToolButton;
class SectionList;

// The group list: one row per group (tag = its position), "Add group" (tag -2) and a Delete
// button per group ("delete<position>") while editing, and the Edit / Done button.
class ABGroupsView : public ScreenView {
    Q_OBJECT
public:
    explicit ABGroupsView(ABGroupsViewController *controller);

    QWidget *navigationRightWidget() override;

protected:
    void refresh() override;

private:
    ABGroupsViewController *m_groups;
    SectionList *m_list;
    QToolButton *m_editButton;
};
