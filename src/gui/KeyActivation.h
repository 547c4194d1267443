#pragma once

#include <QModelIndex>
#include <QObject>

#include <functional>

class QAbstractItemView;

// Space and Enter on a list's current line act like a click on it. (The list's own
// "activated" also fires on double clicks, which would act twice on one line.)
class KeyActivation : public QObject {
    Q_OBJECT
public:
    KeyActivation(QAbstractItemView *view, std::function<void(const QModelIndex &)> onActivate);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QAbstractItemView *m_view;
    std::function<void(const QModelIndex &)> m_onActivate;
};
