#include "ABGroupEntriesView.h"

#include "EntryDelegate.h"
#include "EntryListModel.h"
#include "KeyActivation.h"
#include "SectionIndexBar.h"
#include "groups/ABGroupEntriesViewController.h"
#include "platform/Localization.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QProgressBar>
#include <QSignalBlocker>
#include <QToolButton>
#include <QVBoxLayout>

ABGroupEntriesView::ABGroupEntriesView(ABGroupEntriesViewController *controller)
    : ScreenView(controller), m_members(controller), m_search(new QLineEdit(this)), m_busy(new QProgressBar(this)),
      m_list(new QListView(this)), m_model(new EntryListModel(controller, this)), m_index(new SectionIndexBar(this)),
      m_count(new QLabel(this)), m_button(new QToolButton(this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_search->setObjectName(QStringLiteral("searchBar"));
    m_search->setPlaceholderText(L("KSearch"));
    m_search->setClearButtonEnabled(true);
    m_search->setTextMargins(6, 4, 6, 4);
    connect(m_search, &QLineEdit::textChanged, m_members, &ABGroupEntriesViewController::searchTextChanged);
    layout->addWidget(m_search);

    m_busy->setObjectName(QStringLiteral("busyIndicator"));
    m_busy->setRange(0, 0);
    m_busy->setTextVisible(false);
    m_busy->setMaximumHeight(4);
    connect(m_members, &ABGroupEntriesViewController::busyChanged, m_busy, &QWidget::setVisible);
    layout->addWidget(m_busy);

    m_list->setObjectName(QStringLiteral("members"));
    m_list->setModel(m_model);
    m_list->setItemDelegate(new EntryDelegate(m_list));
    m_list->setUniformItemSizes(true);
    m_list->setSelectionMode(QAbstractItemView::NoSelection);
    m_list->setMouseTracking(true);
    m_list->setFrameShape(QFrame::NoFrame);
    connect(m_list, &QListView::clicked, this, &ABGroupEntriesView::lineClicked);
    new KeyActivation(m_list, [this](const QModelIndex &index) { lineClicked(index); });
    connect(m_members, &ABGroupEntriesViewController::rowChanged, m_model, &EntryListModel::rowChanged);
    connect(m_members, &ABGroupEntriesViewController::rowChanged, this, [this] { m_count->setText(m_members->membersText()); });

    m_index->setObjectName(QStringLiteral("sectionIndex"));
    connect(m_index, &SectionIndexBar::sectionPicked, this, [this](int section) {
        const int line = m_model->lineOfSection(section);
        if (line >= 0)
            m_list->scrollTo(m_model->index(line), QAbstractItemView::PositionAtTop);
    });
    auto *middle = new QHBoxLayout;
    middle->setSpacing(0);
    middle->addWidget(m_list, 1);
    middle->addWidget(m_index);
    layout->addLayout(middle, 1);

    m_count->setObjectName(QStringLiteral("membersCount"));
    m_count->setAlignment(Qt::AlignCenter);
    m_count->setContentsMargins(8, 6, 8, 8);
    layout->addWidget(m_count);

    m_button->setObjectName(QStringLiteral("navigationButton"));
    m_button->setAutoRaise(true);
    QFont bold = m_button->font();
    bold.setBold(true);
    m_button->setFont(bold);
    connect(m_button, &QToolButton::clicked, m_members, &ABGroupEntriesViewController::rightButtonPressed);
    connect(m_members, &ScreenController::lockedChanged, this, &ABGroupEntriesView::refresh, Qt::QueuedConnection);
    refresh();
}

QWidget *ABGroupEntriesView::navigationRightWidget()
{
    return m_button;
}

void ABGroupEntriesView::refresh()
{
    m_model->reload();
    m_index->setTitles(m_members->sectionIndexTitles());
    if (m_search->text() != m_members->searchText()) {
        const QSignalBlocker quiet(m_search);
        m_search->setText(m_members->searchText());
    }
    m_busy->setVisible(m_members->isBusy());
    m_count->setText(m_members->membersText());
    m_button->setText(m_members->rightButtonTitle());
    m_button->setEnabled(!m_members->isLocked());
}

void ABGroupEntriesView::lineClicked(const QModelIndex &index)
{
    const EntryListModel::Position at = m_model->position(index.row());
    if (at.row >= 0)
        m_members->didSelectRow(at.section, at.row);
}
