#include "DuplicateSearchView.h"

#include "SectionList.h"
#include "merge/DuplicateSearchViewController.h"

#include <QPushButton>
#include <QVBoxLayout>

DuplicateSearchView::DuplicateSearchView(DuplicateSearchViewController *controller)
    : ScreenView(controller), m_search(controller), m_list(new SectionList(this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_list);
    for (int section = 0; section < m_search->sectionCount(); ++section) {
        m_list->addSection(m_search->sectionTitle(section));
        const auto rows = m_search->rows(section);
        for (int row = 0; row < rows.size(); ++row) {
            DuplicateSearchViewController *search = m_search;
            m_list->addRow(10 + rows.at(row).criterion, rows.at(row).text, [search, section, row] { search->didSelectRow(section, row); });
        }
    }
}

void DuplicateSearchView::refresh()
{
    // Coming back: the row chosen last loses its focus highlight.
    if (QWidget *focused = m_list->focusWidget())
        focused->clearFocus();
}
