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
        const QString text = row == m_language->ilang ? rows[row] + QStringLiteral("   ✓") : rows[row];
        m_list->addRow(row, text, [language = m_language, row] { language->selectRow(row); }, false);
    }
}
