#include "support/RecordingUiHost.h"
#include "shell/MainThread.h"
#include "shell/Operations.h"
#include "shell/ScreenController.h"
#include "shell/ScreenRegistry.h"

#include <QPointer>
#include <QSemaphore>
#include <QtTest>

#include <atomic>

namespace {
// A screen that locks and runs a worker on request, as the import and export screens do.
class WorkingScreen : public ScreenController {
public:
    explicit WorkingScreen(int number) : ScreenController(number) {}
    QString title() const override { return QStringLiteral("Work"); }
    void lock(bool locked) { setLocked(locked); }
    // The worker waits for `gate`, then reports to the screen, as a reader's progress does.
    void start(QSemaphore *gate)
    {
        runOnWorker(
            [this, gate] {
                gate->acquire();
                MainThread::callOnMainAndWait([this] { ++reports; });
            },
            [this] { ++doneCalls; });
    }
    int reports = 0;
    int doneCalls = 0;
};
}

// Several screens and workers at once: the window lock, screens released under their worker.
class OperationsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void windowStaysLockedUntilTheLastScreenUnlocks()
    {
        RecordingUiHost host;
        WorkingScreen first(ExportFileScreen);
        {
            WorkingScreen second(FileChooserScreen);
            first.lock(true);
            second.lock(true);
            QVERIFY(Operations::instance().busy());
            first.lock(false);
            QVERIFY(host.locked);
            second.lock(false);
            QVERIFY(!host.locked);
            QCOMPARE(host.lockHistory, (QList<bool>{true, false}));

            // A screen that goes while it holds the lock gives it back.
            second.lock(true);
        }
        QVERIFY(!host.locked);
        QVERIFY(!Operations::instance().busy());
    }

    void releasedScreenLivesUntilItsWorkerEnds()
    {
        RecordingUiHost host;
        QSemaphore gate;
        QPointer<WorkingScreen> screen = new WorkingScreen(ExportFileScreen);
        ScreenRegistry::registerViewController(screen);
        screen->start(&gate);
        QCOMPARE(Operations::instance().runningWorkers(), 1);
        ScreenRegistry::releaseViewController(screen);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(screen);
        QVERIFY(screen->hasRunningWorker());

        QSignalSpy ended(&Operations::instance(), &Operations::workersEnded);
        gate.release();
        QVERIFY(ended.wait(10000));
        QVERIFY(screen);
        QCOMPARE(screen->reports, 1);
        QCOMPARE(screen->doneCalls, 1);
        QTRY_VERIFY(!screen);
    }

    void idleComesOnceEverythingHasEnded()
    {
        RecordingUiHost host;
        QSignalSpy idle(&Operations::instance(), &Operations::idle);
        WorkingScreen screen(ExportFileScreen);
        QSemaphore gate;
        screen.lock(true);
        screen.start(&gate);
        screen.lock(false);
        QTest::qWait(50);
        QVERIFY(idle.isEmpty()); // the worker still runs
        gate.release();
        QVERIFY(idle.wait(10000));
        QCOMPARE(idle.size(), 1);
        QCOMPARE(screen.doneCalls, 1);
    }
};

QTEST_GUILESS_MAIN(OperationsTest)
#include "operations_test.moc"
