#include "ABGroupsView.h"

#include "SectionList.h"
#include "groups/ABGroupsViewController.h"
#include "platform/Localization.h"

#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

ABGroupsView::ABGroupsView(ABGroupsViewController *controller)
    : ScreenView(controller), m_groups(controller), m_list(new SectionList(this)), m_editButton(new QToolButton(this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_list);
    m_editButton->setObjectName(QStringLiteral("navigationButton"));
    m_editButton->setAutoRaise(true);
    connect(m_editButton, &QToolButton::clicked, m_groups, [groups = m_groups] { groups->setEditing(!groups->isEditing()); });
    refresh();
}

QWidget *ABGroupsView::navigationRightWidget()
{
    return m_editButton;
}

void ABGroupsView::refresh()
{
    m_editButton->setText(m_groups->editButtonTitle());
    m_list->clear();
    m_list->addSection();
    ABGroupsViewController *groups = m_groups;
    const auto rows = groups->rows();
    for (int index = 0; index < rows.size(); ++index) {
        const auto &row = rows.at(index);
        if (row.tag == ABGroupsViewController::kAddGroupTag) {
            QPushButton *add = m_list->addRow(ABGroupsViewController::kAddGroupTag, row.text,
                                              [groups, index] { groups->didSelectRow(index); }, false);
            QFont italic = add->font();
            italic.setItalic(true);
            add->setFont(italic);
            add->setStyleSheet(QStringLiteral("color: gray;"));
        } else if (groups->isEditing()) {
            auto *remove = new QPushButton(L("KDelete"));
            remove->setObjectName(QStringLiteral("delete%1").arg(index));
            remove->setStyleSheet(QStringLiteral("QPushButton { background: #d93025; color: white; border-radius: 6px; padding: 4px 10px; }"));
            connect(remove, &QPushButton::clicked, groups, [groups, index] { groups->deleteRow(index); });
            m_list->addControlRow(index, row.text, remove);
        } else {
            m_list->addRow(index, row.text, [groups, index] { groups->didSelectRow(index); });
        }
    }
}
