#pragma once

#include "ScreenView.h"

class DuplicateSearchViewController;
class SectionList;

// The duplicate search: the criteria rows in their two sections (tags 10 + criterion).
class DuplicateSearchView : public ScreenView {
    Q_OBJECT
public:
    explicit DuplicateSearchView(DuplicateSearchViewController *controller);

protected:
    void refresh() override;

private:
    DuplicateSearchViewController *m_search;
    SectionList *m_list;
};
