#include "EntryDelegate.h"

#include "EntryListModel.h"
#include "Images.h"

#include <QApplication>
#include <QPainter>

namespace {
constexpr int kIconSize = 22;
constexpr int kMargin = 10;
}

EntryDelegate::EntryDelegate(QObject *parent) : QStyledItemDelegate(parent) {}

QRect EntryDelegate::detailButtonRect(const QRect &line)
{
    return QRect(line.right() - kMargin - kIconSize, line.center().y() - kIconSize / 2, kIconSize, kIconSize);
}

QSize EntryDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const
{
    // One height for every line keeps the list's layout cheap for any number of rows.
    return QSize(200, qMax(kIconSize + 10, option.fontMetrics.height() + 12));
}

void EntryDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    painter->save();
    const QRect line = option.rect;
    const QPalette &palette = option.palette;
    if (index.data(EntryListModel::HeaderRole).toBool()) {
        painter->fillRect(line, palette.color(QPalette::AlternateBase).darker(104));
        QFont font = option.font;
        font.setBold(true);
        painter->setFont(font);
        painter->setPen(palette.color(QPalette::Text));
        painter->drawText(line.adjusted(kMargin + 4, 0, -kMargin, 0), Qt::AlignVCenter | Qt::AlignLeft, index.data().toString());
        painter->restore();
        return;
    }
    if (option.state & QStyle::State_MouseOver)
        painter->fillRect(line, palette.color(QPalette::AlternateBase));
    if (option.state & QStyle::State_HasFocus) {
        QColor focus = palette.color(QPalette::Highlight);
        focus.setAlpha(50);
        painter->fillRect(line, focus);
    }
    QRect text = line.adjusted(kMargin, 0, -kMargin, 0);
    const QVariant tick = index.data(Qt::CheckStateRole);
    if (tick.isValid()) {
        const bool ticked = tick.toInt() == Qt::Checked;
        const QRect icon(text.left(), line.center().y() - kIconSize / 2, kIconSize, kIconSize);
        Images::named(ticked ? QStringLiteral("selected_icon.png") : QStringLiteral("unselected_icon.png")).paint(painter, icon);
        text.setLeft(icon.right() + kMargin);
    }
    if (m_detailButton) {
        const QRect button = detailButtonRect(line);
        Images::named(QStringLiteral("detail_icon.png")).paint(painter, button);
        text.setRight(button.left() - kMargin);
    }
    const QVariant foreground = index.data(Qt::ForegroundRole);
    painter->setPen(foreground.isValid() ? foreground.value<QColor>() : palette.color(QPalette::Text));
    painter->setFont(option.font);
    painter->drawText(text, Qt::AlignVCenter | Qt::AlignLeft,
                      option.fontMetrics.elidedText(index.data().toString(), Qt::ElideRight, text.width()));
    painter->setPen(palette.color(QPalette::Midlight));
    painter->drawLine(text.left(), line.bottom(), line.right(), line.bottom());
    painter->restore();
}
