#include "KeyActivation.h"

#include <QAbstractItemView>
#include <QKeyEvent>

KeyActivation::KeyActivation(QAbstractItemView *view, std::function<void(const QModelIndex &)> onActivate)
    : QObject(view), m_view(view), m_onActivate(std::move(onActivate))
{
    view->installEventFilter(this);
}

bool KeyActivation::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_view && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        const QModelIndex current = m_view->currentIndex();
        if (current.isValid() && (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter)) {
            m_onActivate(current);
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
