#include "FiltersView.h"

#include "SectionList.h"
#include "shell/ImpExpFiltersViewController.h"

#include <QVBoxLayout>

FiltersView::FiltersView(ImpExpFiltersViewController *controller)
    : ScreenView(controller), m_filters(controller), m_list(new SectionList(this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_list);
    refresh();
}

void FiltersView::refresh()
{
    m_list->clear();
    m_list->addSection(m_filters->header());
    for (const auto &row : m_filters->rows())
        m_list->addSwitch(row.tag, row.text, m_filters->isOn(row.tag),
                          [filters = m_filters, tag = row.tag](bool on) { filters->setSwitch(tag, on); });
}
