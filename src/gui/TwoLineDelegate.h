#pragma once

#include <QColor>
#include <QStyledItemDelegate>

// A list row of the file and mapping screens: an optional icon, the text (in its foreground
// colour) and a smaller detail line under it whose trailing part may stand out in blue.
// While a row button is set (the Delete of an editing list) every row shows it on the right.
class TwoLineDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    enum Role {
        DetailRole = Qt::UserRole + 1,
        DetailAccentRole, // the end of the detail line drawn in the accent colour
        DetailColorRole,  // the detail line's colour, when not the usual gray
    };
    static QColor accentColor() { return QColor(0x1a, 0x73, 0xe8); }

    explicit TwoLineDelegate(QObject *parent = nullptr);

    void setRowButton(const QString &text) { m_rowButton = text; }
    const QString &rowButton() const { return m_rowButton; }
    QRect rowButtonRect(const QRect &line, const QFontMetrics &metrics) const;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    QString m_rowButton;
};
