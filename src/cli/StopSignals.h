#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGINT and SIGTERM into the signal stopRequested() on the event loop, so that a
// long-running command can stop cleanly (a signal handler may do almost nothing itself).
class StopSignals : public QObject {
    Q_OBJECT
public:
    explicit StopSignals(QObject *parent = nullptr);
    ~StopSignals() override;

Q_SIGNALS:
    void stopRequested();

private:
    QSocketNotifier *m_notifier = nullptr;
};
