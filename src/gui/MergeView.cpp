#include "MergeView.h"

#include "Images.h"
#include "KeyActivation.h"
#include "NewPersonDialog.h"
#include "merge/MergeViewController.h"
#include "merge/NewPersonEditor.h"

#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

enum Role {
    HeaderRole = Qt::UserRole + 1,
    DetailRole,
    TickedRole,
    DimRole,
    SmallFontRole,
    PictureRole,
    SectionRole,
    RowRole,
};

constexpr int kMargin = 10;
constexpr int kIconSize = 22;
constexpr int kThumbnail = 40;

// A merge row: tick, main text (or the thumbnail), detail on the right, on the row's colour.
class MergeRowDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        if (index.data(HeaderRole).toBool())
            return QSize(240, option.fontMetrics.height() + 14);
        if (index.data(SmallFontRole).toBool())
            return QSize(240, 3 * QFontMetrics(small(option.font)).height() + 12);
        if (index.data(PictureRole).isValid())
            return QSize(240, kThumbnail + 10);
        return QSize(240, qMax(kIconSize + 12, option.fontMetrics.height() + 16));
    }

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        painter->save();
        const QRect line = option.rect;
        const QPalette &palette = option.palette;
        if (index.data(HeaderRole).toBool()) {
            QFont font = option.font;
            font.setBold(true);
            painter->setFont(font);
            painter->setPen(palette.color(QPalette::Text));
            painter->drawText(line.adjusted(kMargin, 0, -kMargin, 0), Qt::AlignLeft | Qt::AlignBottom, index.data().toString());
            painter->restore();
            return;
        }
        painter->fillRect(line, index.data(Qt::BackgroundRole).value<QColor>());
        if (option.state & QStyle::State_HasFocus) {
            QColor focus = palette.color(QPalette::Highlight);
            focus.setAlpha(50);
            painter->fillRect(line, focus);
        }
        if (index.data(DimRole).toBool())
            painter->setOpacity(0.5);
        QRect text = line.adjusted(kMargin, 2, -kMargin, -2);
        const QRect tick(text.left(), line.center().y() - kIconSize / 2, kIconSize, kIconSize);
        Images::named(index.data(TickedRole).toBool() ? QStringLiteral("selected_icon.png") : QStringLiteral("unselected_icon.png"))
            .paint(painter, tick);
        text.setLeft(tick.right() + kMargin);
        const QString detail = index.data(DetailRole).toString();
        const QFont detailFont = small(option.font);
        const int detailWidth = QFontMetrics(detailFont).horizontalAdvance(detail.trimmed());
        QRect detailRect(text.right() - detailWidth, line.top(), detailWidth, line.height());
        painter->setFont(detailFont);
        painter->setPen(QColor(0x1a, 0x73, 0xe8));
        painter->drawText(detailRect, Qt::AlignRight | Qt::AlignVCenter, detail.trimmed());
        text.setRight(detailRect.left() - kMargin);
        const QVariant picture = index.data(PictureRole);
        painter->setPen(QColor(Qt::black));
        if (picture.isValid()) {
            const QPixmap pixmap = picture.value<QPixmap>();
            const QSize size = pixmap.size().scaled(kThumbnail, kThumbnail, Qt::KeepAspectRatio);
            painter->drawPixmap(QRect(QPoint(text.left(), line.center().y() - size.height() / 2), size), pixmap);
        } else if (index.data(SmallFontRole).toBool()) {
            painter->setFont(small(option.font));
            painter->drawText(text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap, index.data().toString());
        } else {
            painter->setFont(option.font);
            painter->drawText(text, Qt::AlignLeft | Qt::AlignVCenter,
                              option.fontMetrics.elidedText(index.data().toString(), Qt::ElideRight, text.width()));
        }
        painter->setOpacity(1);
        painter->setPen(palette.color(QPalette::Midlight));
        painter->drawLine(line.left(), line.bottom(), line.right(), line.bottom());
        painter->restore();
    }

private:
    static QFont small(const QFont &font)
    {
        QFont smaller = font;
        smaller.setPointSizeF(font.pointSizeF() * 0.8);
        return smaller;
    }
};

} // namespace

MergeView::MergeView(MergeViewController *controller)
    : ScreenView(controller), m_merge(controller), m_list(new QListWidget(this)), m_footer(new QLabel(this)),
      m_next(new QToolButton(this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_list->setObjectName(QStringLiteral("fields"));
    m_list->setItemDelegate(new MergeRowDelegate(m_list));
    m_list->setSelectionMode(QAbstractItemView::NoSelection);
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    auto tap = [this](QListWidgetItem *item) {
        if (item && !item->data(HeaderRole).toBool())
            m_merge->didSelectRow(item->data(SectionRole).toInt(), item->data(RowRole).toInt());
    };
    connect(m_list, &QListWidget::itemClicked, this, tap);
    new KeyActivation(m_list, [this, tap](const QModelIndex &index) { tap(m_list->item(index.row())); });
    layout->addWidget(m_list, 1);

    m_footer->setObjectName(QStringLiteral("sectionFooter"));
    m_footer->setWordWrap(true);
    m_footer->setContentsMargins(12, 6, 12, 8);
    m_footer->setForegroundRole(QPalette::PlaceholderText);
    layout->addWidget(m_footer);

    m_next->setObjectName(QStringLiteral("navigationButton"));
    m_next->setAutoRaise(true);
    QFont bold = m_next->font();
    bold.setBold(true);
    m_next->setFont(bold);
    connect(m_next, &QToolButton::clicked, m_merge, &MergeViewController::previewButtonPressed);

    connect(m_merge, &MergeViewController::rowChanged, this, &MergeView::updateRow);
    connect(m_merge, &MergeViewController::editorRequested, this, &MergeView::openEditor, Qt::QueuedConnection);
    refresh();
}

QWidget *MergeView::navigationRightWidget()
{
    return m_next;
}

void MergeView::fillItem(QListWidgetItem *item, int section, int row)
{
    const MergeDataRef data = m_merge->rowAt(section, row);
    if (!data)
        return;
    item->setData(SectionRole, section);
    item->setData(RowRole, row);
    item->setText(m_merge->mainText(*data));
    item->setData(DetailRole, m_merge->detailText(*data));
    item->setData(TickedRole, data->selected);
    item->setData(DimRole, data->dim);
    item->setData(SmallFontRole, m_merge->usesSmallFont(*data));
    item->setData(Qt::BackgroundRole, QColor::fromRgb(QRgb(MergeViewController::backgroundRgb(*data))));
    const QByteArray picture = m_merge->pictureData(*data);
    QPixmap pixmap;
    if (!picture.isEmpty() && pixmap.loadFromData(picture))
        item->setData(PictureRole, pixmap);
}

void MergeView::refresh()
{
    m_list->clear();
    m_sectionStarts.clear();
    const auto &sections = m_merge->sections();
    for (int section = 0; section < sections.size(); ++section) {
        m_sectionStarts.append(m_list->count());
        auto *header = new QListWidgetItem(sections.at(section).header, m_list);
        header->setData(HeaderRole, true);
        header->setFlags(Qt::ItemIsEnabled);
        for (int row = 0; row < sections.at(section).data.size(); ++row)
            fillItem(new QListWidgetItem(m_list), section, row);
    }
    m_footer->setText(m_merge->footerText());
    m_next->setText(m_merge->nextButtonTitle());
}

void MergeView::updateRow(int section, int row)
{
    if (section < 0 || section >= m_sectionStarts.size())
        return;
    if (QListWidgetItem *item = m_list->item(m_sectionStarts.at(section) + 1 + row))
        fillItem(item, section, row);
}

void MergeView::openEditor(NewPersonEditor *editor)
{
    if (!editor || editor->isFinished())
        return;
    auto *dialog = new NewPersonDialog(editor, window());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}
