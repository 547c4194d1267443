#include "SectionIndexBar.h"

#include <QMouseEvent>
#include <QPainter>

SectionIndexBar::SectionIndexBar(QWidget *parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    QFont small = font();
    small.setPointSizeF(small.pointSizeF() * 0.8);
    small.setBold(true);
    setFont(small);
    setCursor(Qt::PointingHandCursor);
    hide(); // until there are titles
}

void SectionIndexBar::setTitles(const QStringList &titles)
{
    if (titles == m_titles)
        return;
    m_titles = titles;
    setVisible(!titles.isEmpty());
    update();
}

QSize SectionIndexBar::sizeHint() const
{
    return QSize(fontMetrics().horizontalAdvance(QStringLiteral("WW")) + 4, 100);
}

int SectionIndexBar::lineHeight() const
{
    return fontMetrics().height();
}

int SectionIndexBar::sectionAt(int y) const
{
    if (m_titles.isEmpty() || height() <= 0)
        return -1;
    const int count = int(m_titles.size());
    return qBound(0, int(qint64(y) * count / height()), count - 1);
}

void SectionIndexBar::paintEvent(QPaintEvent *)
{
    if (m_titles.isEmpty())
        return;
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Link));
    const int count = int(m_titles.size());
    const int fitting = qMax(1, height() / lineHeight());
    const int step = (count + fitting - 1) / fitting;
    // Titles sit where sectionAt() finds them: section s owns the band s/count of the height.
    // Crowded, every other drawn place is a dot, as a hint that more lies between.
    for (int section = 0, drawn = 0; section < count; section += step, ++drawn) {
        const int top = int(qint64(section) * height() / count);
        const int bottom = int(qint64(section + step) * height() / count);
        const QRect band(0, top, width(), qMax(lineHeight(), bottom - top));
        const bool dot = step > 1 && drawn % 2 == 1;
        painter.drawText(band, Qt::AlignHCenter | Qt::AlignVCenter, dot ? QStringLiteral("•") : m_titles.at(section));
    }
}

void SectionIndexBar::pick(int y)
{
    const int section = sectionAt(y);
    if (section < 0 || section == m_lastPicked)
        return;
    m_lastPicked = section;
    Q_EMIT sectionPicked(section);
}

void SectionIndexBar::mousePressEvent(QMouseEvent *event)
{
    m_lastPicked = -1;
    pick(event->position().toPoint().y());
}

void SectionIndexBar::mouseMoveEvent(QMouseEvent *event)
{
    if (event->buttons() & Qt::LeftButton)
        pick(event->position().toPoint().y());
}
