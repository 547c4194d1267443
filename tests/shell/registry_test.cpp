#include "support/RecordingUiHost.h"
#include "support/TestEnvironment.h"
#include "platform/DevLog.h"
#include "screens/ScreenCatalog.h"
#include "shell/FLog.h"
#include "shell/ImpExpFiltersViewController.h"
#include "shell/MainViewController.h"
#include "shell/ScreenRegistry.h"
#include "shell/SettingsViewController.h"

#include <QDir>
#include <QPointer>
#include <QRegularExpression>
#include <QtTest>

// The screen registry's lifecycle and the file log.
class RegistryTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { ScreenCatalog::registerAll(); }
    void cleanup()
    {
        ScreenRegistry::clear();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void unknownNumbersAreLoggedAndGiveNothing()
    {
        TestEnvironment env;
        QStringList lines;
        DevLog::setSink([&](const QString &line) { lines.append(line); });
        QVERIFY(!ScreenRegistry::getViewController(0));
        QVERIFY(!ScreenRegistry::getViewController(24));
        QVERIFY(!ScreenRegistry::getViewController(MainScreen)); // made by the launch, never by a factory
        DevLog::setSink({});
        QCOMPARE(lines, QStringList({QStringLiteral("getViewController COULD NOT CREATE 0"),
                                     QStringLiteral("getViewController COULD NOT CREATE 24"),
                                     QStringLiteral("getViewController COULD NOT CREATE 1")}));
    }

    void screensLiveUntilTheyDisappear()
    {
        TestEnvironment env;
        RecordingUiHost host;
        auto *menu = new MainViewController;
        ScreenRegistry::registerViewController(menu);
        host.push(menu);

        ScreenController *settings = ScreenRegistry::getViewController(SettingsScreen);
        QVERIFY(settings);
        QCOMPARE(ScreenRegistry::getViewController(SettingsScreen), settings);
        QCOMPARE(ScreenRegistry::getViewControllerIndex(menu), 0);
        QCOMPARE(ScreenRegistry::getViewControllerIndex(settings), 1);
        QVERIFY(ScreenRegistry::isViewControllerLoaded(SettingsScreen));
        QPointer<ScreenController> settingsAlive(settings);
        host.push(settings);

        // Settings pushes the filter screen: it must survive while the child is shown.
        static_cast<SettingsViewController *>(settings)->selectRow(SettingsViewController::TagExportFilters);
        QVERIFY(!settings->bCanRelease);
        QPointer<ScreenController> filters(ScreenRegistry::getViewController(ImpExpFiltersScreen));
        QCOMPARE(host.stack.last(), filters.data());
        host.pop();
        QVERIFY(!ScreenRegistry::isViewControllerLoaded(ImpExpFiltersScreen));
        QVERIFY(ScreenRegistry::isViewControllerLoaded(SettingsScreen));
        QVERIFY(settings->bCanRelease); // set again when it reappeared
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!filters);

        host.pop();
        QVERIFY(!ScreenRegistry::isViewControllerLoaded(SettingsScreen));
        QCOMPARE(ScreenRegistry::getViewControllerIndex(settings), -1);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!settingsAlive);
        ScreenRegistry::releaseViewController(nullptr); // nothing happens

        // The main menu stays, whatever its flag says.
        menu->viewWillDisappear();
        menu->viewDidDisappear();
        QVERIFY(ScreenRegistry::isViewControllerLoaded(MainScreen));
        // A fresh visit builds a fresh screen.
        QVERIFY(ScreenRegistry::getViewController(SettingsScreen));
    }

    void fileLogKeepsOneOldLogAndWritesTimedLines()
    {
        TestEnvironment env;
        QDir docs(env.documents());
        for (const char *name : {"Vennaro_1000000001.log", "Vennaro_1000000002.log"}) {
            QFile file(docs.filePath(QString::fromLatin1(name)));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        FLog &log = FLog::sharedInstance();
        log.start();
        FLogLine(QStringLiteral("first"));
        FLogLine(QStringLiteral("second line"));
        QVERIFY(!docs.exists(QStringLiteral("Vennaro_1000000001.log")));
        QVERIFY(docs.exists(QStringLiteral("Vennaro_1000000002.log")));
        QVERIFY(QFileInfo(log.path()).fileName().contains(QRegularExpression(QStringLiteral("^Vennaro_\\d{10}\\.log$"))));

        QFile file(log.path());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 3);
        QVERIFY(lines[0].contains(QRegularExpression(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d\\.\\d{3} first$"))));
        QVERIFY(lines[1].endsWith(QLatin1String(" second line")));
        QCOMPARE(lines[2], QString());

        // The next launch keeps just this one old log.
        log.start();
        FLogLine(QStringLiteral("next launch"));
        QCOMPARE(docs.entryList({QStringLiteral("*.log")}).size(), 1);
    }
};

QTEST_GUILESS_MAIN(RegistryTest)
#include "registry_test.moc"
