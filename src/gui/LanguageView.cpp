#include "LanguageView.h"

#include "SectionList.h"
#include "shell/LanguageViewController.h"

#include <QPushButton>
#include <QVBoxLayout>

LanguageView::LanguageView(LanguageViewController *controller)
    : ScreenView(controller), m_language(controller), m_list(new SectionList(this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_list);
    refresh();
}

void LanguageView::refresh()
{
    m_list->clear();
    m_list->addSection(m_language->header(), m_language->footer());
    const QStringList rows = m_language->rows();
    for (int row = 0; row < rows.size(); ++row) {
        QPushButton *button = m_list->addRow(row, rows[row], [language = m_language, row] { language->selectRow(row); }, false);
        // The mark: a check on the chosen row, as a checkable row the screen reader announces.
        button->setCheckable(true);
        button->setChecked(row == m_language->ilang);
        if (row == m_language->ilang)
            button->setText(rows[row] + QStringLiteral("   ✓"));
    }
}
