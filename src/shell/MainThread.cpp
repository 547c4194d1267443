#include "MainThread.h"

#include "Operations.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

bool MainThread::isMainThread()
{
    QCoreApplication *app = QCoreApplication::instance();
    return !app || QThread::currentThread() == app->thread();
}

void MainThread::callOnMainAndWait(const std::function<void()> &call)
{
    if (isMainThread()) {
        call();
        return;
    }
    QMetaObject::invokeMethod(QCoreApplication::instance(), call, Qt::BlockingQueuedConnection);
}

void MainThread::runOnWorker(std::function<void()> work, std::function<void()> done)
{
    QThread *thread = QThread::create(std::move(work));
    Operations::instance().workerStarted();
    QObject::connect(thread, &QThread::finished, thread, [thread, done = std::move(done)] {
        if (done)
            done();
        Operations::instance().workerEnded();
        thread->deleteLater();
    });
    thread->start();
}
