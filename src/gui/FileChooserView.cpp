#include "FileChooserView.h"

#include "Images.h"
#include "KeyActivation.h"
#include "TwoLineDelegate.h"
#include "importing/FileChooserViewController.h"
#include "platform/Localization.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QToolButton>
#include <QVBoxLayout>

FileChooserView::FileChooserView(FileChooserViewController *controller)
    : ScreenView(controller), m_chooser(controller), m_header(new QLabel(this)), m_files(new QListWidget(this)),
      m_delegate(new TwoLineDelegate(m_files)), m_footer(new QLabel(this)), m_editButton(new QToolButton(this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 8);
    m_header->setObjectName(QStringLiteral("sectionHeader"));
    m_header->setContentsMargins(12, 8, 12, 2);
    m_header->setForegroundRole(QPalette::PlaceholderText);
    layout->addWidget(m_header);

    m_files->setObjectName(QStringLiteral("files"));
    m_files->setItemDelegate(m_delegate);
    m_files->setUniformItemSizes(true);
    m_files->setMouseTracking(true);
    m_files->setContextMenuPolicy(Qt::DefaultContextMenu);
    m_files->viewport()->installEventFilter(this);
    m_files->installEventFilter(this);
    connect(m_files, &QListWidget::clicked, this, [this](const QModelIndex &index) {
        // While editing only the rows' Delete buttons act (see eventFilter).
        if (!m_editing)
            m_chooser->selectRow(index.row());
    });
    new KeyActivation(m_files, [this](const QModelIndex &index) {
        if (!m_editing)
            m_chooser->selectRow(index.row());
    });
    layout->addWidget(m_files, 1);

    m_footer->setObjectName(QStringLiteral("sectionFooter"));
    m_footer->setWordWrap(true);
    m_footer->setContentsMargins(12, 2, 12, 2);
    m_footer->setForegroundRole(QPalette::PlaceholderText);
    layout->addWidget(m_footer);

    m_editButton->setObjectName(QStringLiteral("navigationButton"));
    m_editButton->setAutoRaise(true);
    connect(m_editButton, &QToolButton::clicked, this, [this] { setEditing(!m_editing); });
    refresh();
}

QWidget *FileChooserView::navigationRightWidget()
{
    return m_editButton;
}

void FileChooserView::setEditing(bool editing)
{
    m_editing = editing;
    m_delegate->setRowButton(editing ? L("KDelete") : QString());
    m_editButton->setText(editing ? L("KDone") : L("KEdit"));
    m_files->viewport()->update();
}

void FileChooserView::refresh()
{
    m_header->setText(m_chooser->sectionHeader());
    const bool colourByImport = m_chooser->mode() == FileChooserViewController::ImportMode;
    const int current = m_files->currentRow();
    m_files->clear();
    for (const auto &row : m_chooser->rows()) {
        auto *item = new QListWidgetItem(Images::named(row.icon), row.name, m_files);
        item->setData(TwoLineDelegate::DetailRole, row.details);
        if (colourByImport)
            item->setForeground(row.importable ? TwoLineDelegate::accentColor() : QColor(Qt::gray));
    }
    if (current >= 0 && current < m_files->count())
        m_files->setCurrentRow(current);
    const QString footer = m_chooser->footer();
    m_footer->setText(footer);
    m_footer->setVisible(!footer.isEmpty());
    setEditing(m_editing && !m_chooser->rows().isEmpty());
    m_editButton->setEnabled(m_chooser->rightButtonEnabled());
    setNavigationWidgetVisible(m_editButton, m_chooser->rightButtonVisible());
}

void FileChooserView::showRowMenu(int row, const QPoint &globalPosition)
{
    if (row < 0 || row >= m_files->count())
        return;
    QMenu menu(this);
    QAction *remove = menu.addAction(L("KDelete"));
    remove->setObjectName(QStringLiteral("deleteAction"));
    connect(remove, &QAction::triggered, m_chooser, [chooser = m_chooser, row] { chooser->deleteRow(row); });
    menu.exec(globalPosition);
}

bool FileChooserView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_files->viewport()) {
        if (event->type() == QEvent::ContextMenu) {
            const auto *menu = static_cast<QContextMenuEvent *>(event);
            showRowMenu(m_files->indexAt(menu->pos()).row(), menu->globalPos());
            return true;
        }
        if (event->type() == QEvent::MouseButtonRelease && m_editing) {
            const QPoint at = static_cast<QMouseEvent *>(event)->position().toPoint();
            const QModelIndex index = m_files->indexAt(at);
            if (index.isValid() && m_delegate->rowButtonRect(m_files->visualRect(index), m_files->fontMetrics()).contains(at)) {
                m_chooser->deleteRow(index.row());
                return true;
            }
        }
    }
    // Delete asks through the row's menu: one key alone must not remove a file.
    if (watched == m_files && event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Delete) {
        const int row = m_files->currentRow();
        if (row >= 0)
            showRowMenu(row, m_files->viewport()->mapToGlobal(m_files->visualItemRect(m_files->item(row)).center()));
        return true;
    }
    return ScreenView::eventFilter(watched, event);
}
