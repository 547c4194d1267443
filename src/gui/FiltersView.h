#pragma once

#include "ScreenView.h"

class ImpExpFiltersViewController;
class SectionList;

// The field filter screen: one switch per field family.
class FiltersView : public ScreenView {
    Q_OBJECT
public:
    explicit FiltersView(ImpExpFiltersViewController *controller);

protected:
    void refresh() override;

private:
    ImpExpFiltersViewController *m_filters;
    SectionList *m_list;
};
