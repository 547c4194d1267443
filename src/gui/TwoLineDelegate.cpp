#include "TwoLineDelegate.h"

#include <QPainter>
#include <QPainterPath>

namespace {
constexpr int kMargin = 10;
constexpr int kIconSize = 32;

QFont smaller(const QFont &font)
{
    QFont small = font;
    small.setPointSizeF(font.pointSizeF() * 0.85);
    return small;
}
}

TwoLineDelegate::TwoLineDelegate(QObject *parent) : QStyledItemDelegate(parent) {}

QSize TwoLineDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const
{
    const int text = option.fontMetrics.height() + QFontMetrics(smaller(option.font)).height() + 16;
    return QSize(240, qMax(kIconSize + 12, text));
}

QRect TwoLineDelegate::rowButtonRect(const QRect &line, const QFontMetrics &metrics) const
{
    const int width = metrics.horizontalAdvance(m_rowButton) + 2 * kMargin;
    const int height = metrics.height() + 10;
    return QRect(line.right() - kMargin - width, line.center().y() - height / 2, width, height);
}

void TwoLineDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    painter->save();
    const QRect line = option.rect;
    const QPalette &palette = option.palette;
    if (option.state & (QStyle::State_MouseOver | QStyle::State_Selected))
        painter->fillRect(line, palette.color(QPalette::AlternateBase));
    if (option.state & QStyle::State_HasFocus) {
        QColor focus = palette.color(QPalette::Highlight);
        focus.setAlpha(50);
        painter->fillRect(line, focus);
    }
    QRect text = line.adjusted(kMargin, 4, -kMargin, -4);
    const QIcon icon = index.data(Qt::DecorationRole).value<QIcon>();
    if (!icon.isNull()) {
        const QRect place(text.left(), line.center().y() - kIconSize / 2, kIconSize, kIconSize);
        icon.paint(painter, place);
        text.setLeft(place.right() + kMargin);
    }
    if (!m_rowButton.isEmpty()) {
        const QRect button = rowButtonRect(line, option.fontMetrics);
        QPainterPath shape;
        shape.addRoundedRect(button, 6, 6);
        painter->setRenderHint(QPainter::Antialiasing);
        painter->fillPath(shape, QColor(0xd9, 0x30, 0x25));
        painter->setPen(Qt::white);
        painter->setFont(option.font);
        painter->drawText(button, Qt::AlignCenter, m_rowButton);
        text.setRight(button.left() - kMargin);
    }

    const QString detail = index.data(DetailRole).toString();
    const QFont small = smaller(option.font);
    const QFontMetrics smallMetrics(small);
    const int top = detail.isEmpty() ? line.center().y() - option.fontMetrics.height() / 2
                                     : line.center().y() - (option.fontMetrics.height() + smallMetrics.height() + 2) / 2;
    const QVariant foreground = index.data(Qt::ForegroundRole);
    // Items keep their foreground as a brush; models may give a plain colour.
    QColor textColor = palette.color(QPalette::Text);
    if (foreground.userType() == QMetaType::QColor)
        textColor = foreground.value<QColor>();
    else if (foreground.isValid())
        textColor = foreground.value<QBrush>().color();
    painter->setPen(textColor);
    painter->setFont(option.font);
    const QRect first(text.left(), top, text.width(), option.fontMetrics.height());
    painter->drawText(first, Qt::AlignLeft | Qt::AlignVCenter,
                      option.fontMetrics.elidedText(index.data().toString(), Qt::ElideMiddle, text.width()));
    if (!detail.isEmpty()) {
        const QVariant color = index.data(DetailColorRole);
        const QString accent = index.data(DetailAccentRole).toString();
        const QString plain = !accent.isEmpty() && detail.endsWith(accent) ? detail.left(detail.size() - accent.size()) : detail;
        QRect second(text.left(), first.bottom() + 3, text.width(), smallMetrics.height());
        painter->setFont(small);
        painter->setPen(color.isValid() ? color.value<QColor>() : palette.color(QPalette::PlaceholderText));
        painter->drawText(second, Qt::AlignLeft | Qt::AlignVCenter, smallMetrics.elidedText(plain, Qt::ElideRight, second.width()));
        if (plain.size() < detail.size()) {
            second.setLeft(second.left() + smallMetrics.horizontalAdvance(plain));
            painter->setPen(accentColor());
            painter->drawText(second, Qt::AlignLeft | Qt::AlignVCenter, smallMetrics.elidedText(accent, Qt::ElideRight, second.width()));
        }
    }
    painter->setPen(palette.color(QPalette::Midlight));
    painter->drawLine(text.left(), line.bottom(), line.right(), line.bottom());
    painter->restore();
}
