#include "ABEntriesView.h"

#include "EntryDelegate.h"
#include "EntryListModel.h"
#include "KeyActivation.h"
#include "PersonDialog.h"
#include "SectionIndexBar.h"
#include "platform/Localization.h"
#include "selection/ABEntriesViewController.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QToolButton>
#include <QVBoxLayout>

ABEntriesView::ABEntriesView(ABEntriesViewController *controller)
    : ScreenView(controller), m_entries(controller), m_search(new QLineEdit(this)), m_list(new QListView(this)),
      m_model(new EntryListModel(controller, this)), m_delegate(new EntryDelegate(this)), m_index(new SectionIndexBar(this)),
      m_busy(new QProgressBar(this)), m_navigationButton(new QToolButton(this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_search->setObjectName(QStringLiteral("searchBar"));
    m_search->setPlaceholderText(L("KSearch"));
    m_search->setClearButtonEnabled(true);
    m_search->setTextMargins(6, 4, 6, 4);
    connect(m_search, &QLineEdit::textEdited, m_entries, &ABEntriesViewController::searchTextChanged);
    connect(m_search, &QLineEdit::returnPressed, m_entries, &ABEntriesViewController::searchReturnPressed);
    layout->addWidget(m_search);

    m_busy->setObjectName(QStringLiteral("busyIndicator"));
    m_busy->setRange(0, 0);
    m_busy->setTextVisible(false);
    m_busy->setMaximumHeight(4);
    m_busy->setVisible(m_entries->isBusy());
    connect(m_entries, &ABEntriesViewController::busyChanged, m_busy, &QWidget::setVisible);
    layout->addWidget(m_busy);

    m_list->setObjectName(QStringLiteral("entries"));
    m_list->setModel(m_model);
    m_list->setItemDelegate(m_delegate);
    // Same-height lines let the view place 100,000 rows without measuring each one.
    m_list->setUniformItemSizes(true);
    m_list->setSelectionMode(QAbstractItemView::NoSelection);
    m_list->setMouseTracking(true);
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->viewport()->installEventFilter(this);
    m_list->installEventFilter(this);
    connect(m_list, &QListView::clicked, this, &ABEntriesView::lineClicked);
    new KeyActivation(m_list, [this](const QModelIndex &index) { lineClicked(index); });
    connect(m_entries, &ABEntriesViewController::rowChanged, m_model, &EntryListModel::rowChanged);

    m_index->setObjectName(QStringLiteral("sectionIndex"));
    connect(m_index, &SectionIndexBar::sectionPicked, this, &ABEntriesView::scrollToSection);
    auto *middle = new QHBoxLayout;
    middle->setSpacing(0);
    middle->addWidget(m_list, 1);
    middle->addWidget(m_index);
    layout->addLayout(middle, 1);

    auto *footer = new QHBoxLayout;
    footer->setContentsMargins(8, 6, 8, 8);
    for (int tag : {ABEntriesViewController::SelectAllTag, ABEntriesViewController::SelectNoneTag,
                    ABEntriesViewController::DeleteSelectedTag}) {
        auto *button = new QPushButton(this);
        button->setObjectName(QStringLiteral("footer%1").arg(tag));
        connect(button, &QPushButton::clicked, m_entries, [entries = m_entries, tag] { entries->footerButtonPressed(tag); });
        footer->addWidget(button);
        m_footer.append(button);
    }
    layout->addLayout(footer);

    m_navigationButton->setObjectName(QStringLiteral("navigationButton"));
    m_navigationButton->setAutoRaise(true);
    QFont bold = m_navigationButton->font();
    bold.setBold(true);
    m_navigationButton->setFont(bold);
    connect(m_navigationButton, &QToolButton::clicked, m_entries, &ABEntriesViewController::exportButtonPressed);

    connect(m_entries, &ScreenController::lockedChanged, this, &ABEntriesView::refresh, Qt::QueuedConnection);
    connect(m_entries, &ABEntriesViewController::personViewRequested, this, &ABEntriesView::showPerson, Qt::QueuedConnection);
    refresh();
}

QWidget *ABEntriesView::navigationRightWidget()
{
    return m_navigationButton;
}

void ABEntriesView::refresh()
{
    m_model->reload();
    m_delegate->setShowsDetailButton(m_entries->showsDetailButton());
    m_index->setTitles(m_entries->sectionIndexTitles());
    if (m_search->text() != m_entries->searchText()) {
        const QSignalBlocker quiet(m_search);
        m_search->setText(m_entries->searchText());
    }
    m_busy->setVisible(m_entries->isBusy());

    const auto buttons = m_entries->footerButtons();
    for (QPushButton *button : std::as_const(m_footer))
        button->hide();
    for (const auto &button : buttons) {
        QPushButton *widget = m_footer.value(button.tag - 1);
        if (!widget)
            continue;
        widget->setText(button.title);
        widget->setEnabled(button.enabled && !m_entries->isLocked());
        widget->show();
    }
    const QString title = m_entries->navigationButtonTitle();
    m_navigationButton->setText(title);
    m_navigationButton->setEnabled(m_entries->navigationButtonEnabled());
    setNavigationWidgetVisible(m_navigationButton, !title.isEmpty());
}

void ABEntriesView::lineClicked(const QModelIndex &index)
{
    const EntryListModel::Position at = m_model->position(index.row());
    if (at.row >= 0)
        m_entries->didSelectRow(at.section, at.row);
}

void ABEntriesView::openDetail(const QModelIndex &index)
{
    const EntryListModel::Position at = m_model->position(index.row());
    if (at.row >= 0)
        m_entries->accessoryButtonTapped(at.section, at.row);
}

void ABEntriesView::scrollToSection(int section)
{
    const int line = m_model->lineOfSection(section);
    if (line >= 0)
        m_list->scrollTo(m_model->index(line), QAbstractItemView::PositionAtTop);
}

void ABEntriesView::showPerson(int recordID)
{
    auto *dialog = new PersonDialog(recordID, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}

bool ABEntriesView::eventFilter(QObject *watched, QEvent *event)
{
    // A release on the detail button opens the person instead of ticking the row.
    if (watched == m_list->viewport() && event->type() == QEvent::MouseButtonRelease && m_entries->showsDetailButton()) {
        const QPoint at = static_cast<QMouseEvent *>(event)->position().toPoint();
        const QModelIndex index = m_list->indexAt(at);
        if (index.isValid() && EntryDelegate::detailButtonRect(m_list->visualRect(index)).contains(at)) {
            openDetail(index);
            return true;
        }
    }
    // Ctrl+I is the keyboard's detail button.
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const QModelIndex current = m_list->currentIndex();
        if (current.isValid() && key->key() == Qt::Key_I && key->modifiers() == Qt::ControlModifier && m_entries->showsDetailButton()) {
            openDetail(current);
            return true;
        }
    }
    return ScreenView::eventFilter(watched, event);
}
