#include "MainMenuView.h"

#include "SectionList.h"
#include "shell/MainViewController.h"
#include "platform/Localization.h"

#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

MainMenuView::MainMenuView(MainViewController *controller)
    : ScreenView(controller), m_menu(controller), m_sourceLabel(new QLabel(this)), m_list(new SectionList(this)),
      m_footer(new QPushButton(this)), m_infoButton(new QToolButton(this)), m_sourceButton(new QToolButton(this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_sourceLabel->setObjectName(QStringLiteral("sourceLabel"));
    m_sourceLabel->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_sourceLabel);
    layout->addWidget(m_list, 1);

    m_footer->setObjectName(QStringLiteral("footer"));
    m_footer->setFlat(true);
    connect(m_footer, &QPushButton::clicked, m_menu, &MainViewController::footerPressed);

    m_infoButton->setObjectName(QStringLiteral("infoButton"));
    m_infoButton->setIcon(style()->standardIcon(QStyle::SP_MessageBoxInformation));
    m_infoButton->setToolTip(L("KInformation"));
    m_infoButton->setAutoRaise(true);
    connect(m_infoButton, &QToolButton::clicked, m_menu, &MainViewController::openInformation);

    m_sourceButton->setObjectName(QStringLiteral("sourceButton"));
    m_sourceButton->setIcon(style()->standardIcon(QStyle::SP_DirHomeIcon));
    m_sourceButton->setToolTip(m_menu->sourcePopupTitle());
    m_sourceButton->setAutoRaise(true);
    connect(m_sourceButton, &QToolButton::clicked, this, &MainMenuView::showSourcePopup);
    refresh();
}

QWidget *MainMenuView::navigationLeftWidget()
{
    return m_infoButton;
}

QWidget *MainMenuView::navigationRightWidget()
{
    return m_sourceButton;
}

void MainMenuView::refresh()
{
    m_sourceLabel->setText(m_menu->selectedSourceLabel());
    setNavigationWidgetVisible(m_sourceButton, m_menu->sourceButtonVisible());
    // The footer button outlives the list's content, which is rebuilt below.
    m_footer->setParent(this);
    m_list->clear();
    for (const auto &section : m_menu->sections()) {
        m_list->addSection();
        for (const auto &row : section)
            m_list->addRow(row.tag, row.text, [menu = m_menu, tag = row.tag] { menu->selectRow(tag); });
    }
    m_footer->setText(m_menu->footerText());
    m_list->addTrailingWidget(m_footer);
}

void MainMenuView::showSourcePopup()
{
    QMenu popup(this);
    popup.addSection(m_menu->sourcePopupTitle());
    const auto choices = m_menu->sourceChoices();
    for (int row = 0; row < choices.size(); ++row) {
        const auto &choice = choices[row];
        QAction *action = popup.addAction(choice.detail.isEmpty() ? choice.name : choice.name + QStringLiteral("   ") + choice.detail);
        connect(action, &QAction::triggered, m_menu, [menu = m_menu, row] { menu->pickSource(row); });
    }
    popup.exec(m_sourceButton->mapToGlobal(QPoint(0, m_sourceButton->height())));
}
