#pragma once

#include <QStyledItemDelegate>

// Draws a line of the contact selection list: a section header, or a row with its tick and,
// when asked, the detail button on the right.
class EntryDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit EntryDelegate(QObject *parent = nullptr);

    void setShowsDetailButton(bool shown) { m_detailButton = shown; }
    // Where a row's detail button is drawn.
    static QRect detailButtonRect(const QRect &line);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    bool m_detailButton = false;
};
