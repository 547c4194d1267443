#include "RulesChooserView.h"

#include "SectionList.h"
#include "numbers/RulesChooserViewController.h"
#include "platform/Localization.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

RulesChooserView::RulesChooserView(RulesChooserViewController *controller)
    : ScreenView(controller), m_chooser(controller), m_list(new SectionList(this)), m_editButton(new QToolButton(this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_list);
    m_editButton->setObjectName(QStringLiteral("navigationButton"));
    m_editButton->setAutoRaise(true);
    connect(m_editButton, &QToolButton::clicked, controller, [controller] { controller->setEditing(!controller->isEditing()); });
    refresh();
}

QWidget *RulesChooserView::navigationRightWidget()
{
    return m_editButton;
}

void RulesChooserView::refresh()
{
    RulesChooserViewController *chooser = m_chooser;
    m_editButton->setText(chooser->isEditing() ? L("KDone") : L("KEdit"));
    m_editButton->setEnabled(chooser->editEnabled());
    m_list->clear();
    m_list->addSection(chooser->sectionHeader());
    const QStringList rules = chooser->rules();
    for (int index = 0; index < rules.size(); ++index) {
        // Rows can be chosen in delete mode too; the Delete button sits inside the row.
        QPushButton *row = m_list->addRow(index, rules.at(index), [chooser, index] { chooser->didSelectRow(index); }, false);
        if (!chooser->isEditing())
            continue;
        auto *remove = new QPushButton(L("KDelete"), row);
        remove->setObjectName(QStringLiteral("delete%1").arg(index));
        remove->setStyleSheet(QStringLiteral("QPushButton { background: #d93025; color: white; border-radius: 6px; padding: 4px 10px; }"));
        connect(remove, &QPushButton::clicked, chooser, [chooser, index] { chooser->deleteRow(index); });
        auto *layout = new QHBoxLayout(row);
        layout->setContentsMargins(0, 0, 12, 0);
        layout->addStretch(1);
        layout->addWidget(remove);
    }
}
