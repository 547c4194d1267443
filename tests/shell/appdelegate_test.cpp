#include "support/RecordingUiHost.h"
#include "support/TestEnvironment.h"
#include "platform/DeviceFacts.h"
#include "platform/PropertyList.h"
#include "screens/ScreenCatalog.h"
#include "shell/AppData.h"
#include "shell/AppDelegate.h"
#include "shell/FLog.h"
#include "shell/MainThread.h"
#include "shell/MainViewController.h"
#include "shell/ScreenInterfaces.h"
#include "shell/ScreenRegistry.h"
#include "shell/UserDefaults.h"

#include <QDir>
#include <QSemaphore>
#include <QtTest>

namespace {
// Stands for the file list until that screen is in the program: records what the shell asks.
class RecordingFileChooser : public ScreenController, public FileChooserInterface {
public:
    RecordingFileChooser() : ScreenController(FileChooserScreen) {}
    QString title() const override { return QStringLiteral("Files"); }
    void loadFiles(int mode) override { calls.append(QStringLiteral("loadFiles %1").arg(mode)); }
    void importFile(const QString &name) override { calls.append(QStringLiteral("importFile ") + name); }
    static inline QStringList calls;
};

QString readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

void writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}
}

// Launch, the shipped defaults and files handed in by other programs.
class AppDelegateTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        // The launch picks the language from the user defaults: make it English whatever the machine says.
        UserDefaults::standardUserDefaults().setPath(QDir::tempPath() + QStringLiteral("/vennaro-appdelegate-test.plist"));
        UserDefaults::standardUserDefaults().setObject(QStringList{QStringLiteral("en")}, QStringLiteral("AppleLanguages"));
        ScreenCatalog::registerAll();
        ScreenRegistry::registerFactory(FileChooserScreen, [] { return new RecordingFileChooser; });
    }
    void cleanup()
    {
        ScreenRegistry::clear();
        RecordingFileChooser::calls.clear();
    }

    void launchLogsAndShowsTheMenu()
    {
        TestEnvironment env;
        RecordingUiHost host;
        FLog::sharedInstance().start();
        AppDelegate delegate;
        delegate.launch(QUrl::fromLocalFile(QStringLiteral("/tmp/x.vcf")));
        const QString log = readAll(FLog::sharedInstance().path());
        QVERIFY(log.contains(QStringLiteral(" Vennaro v 0.1.0 (") + DeviceFacts::buildDate() + QStringLiteral(")\n")));
        QVERIFY(log.contains(QStringLiteral(" url file:///tmp/x.vcf\n")));
        QCOMPARE(host.stack.size(), 1);
        QCOMPARE(host.stack.first(), delegate.mainMenu());
        QCOMPARE(ScreenRegistry::getViewController(MainScreen), delegate.mainMenu());
        QVERIFY(QFile::exists(env.documents() + QStringLiteral("/FormatRules.plist")));
    }

    void defaultRulesAreCopiedButNeverOverwritten()
    {
        TestEnvironment env;
        const QString rules = env.documents() + QStringLiteral("/FormatRules.plist");
        QVERIFY(AppDelegate::createDefaultsIfNeeded(false));
        QFile copy(rules);
        QVERIFY(copy.permissions() & QFileDevice::WriteOwner);
        QVERIFY(copy.open(QIODevice::ReadOnly));
        Result<QVariant> root = PropertyList::read(copy.readAll());
        QVERIFY(root);
        const QVariantMap entries = root->toMap();
        QVERIFY(entries.size() >= 3);
        for (const QVariant &entry : entries) {
            const QVariantList items = entry.toList();
            QCOMPARE(items.size(), 4);
            QVERIFY(items[2].toInt() >= 0 && items[2].toInt() <= 2);
        }

        writeFile(rules, "mine");
        QVERIFY(!AppDelegate::createDefaultsIfNeeded(false));
        QVERIFY(!AppDelegate::createDefaultsIfNeeded(true));
        QCOMPARE(readAll(rules), QStringLiteral("mine"));
    }

    void handedInFileAsksAndMovesWithUnderscores()
    {
        TestEnvironment env;
        RecordingUiHost host;
        AppDelegate delegate;
        delegate.launch();
        writeFile(env.documents() + QStringLiteral("/a.vcf"), "old");
        writeFile(env.documents() + QStringLiteral("/a_.vcf"), "older");
        const QString incoming = env.path(QStringLiteral("a.vcf"));
        writeFile(incoming, "BEGIN:VCARD");

        host.answers.enqueue(0); // No
        QVERIFY(delegate.handleOpenURL(QUrl::fromLocalFile(incoming)));
        QCOMPARE(host.lastTitle(), QStringLiteral("Vennaro"));
        QCOMPARE(host.lastText(), QStringLiteral("Import a.vcf ?"));
        QCOMPARE(host.alerts.last().buttons, QStringList({QStringLiteral("No"), QStringLiteral("Yes")}));
        QTest::qWait(10);
        QVERIFY(QFile::exists(incoming));

        host.answers.enqueue(1); // Yes
        QVERIFY(delegate.handleOpenURL(QUrl::fromLocalFile(incoming)));
        QTRY_VERIFY(!QFile::exists(incoming));
        QCOMPARE(readAll(env.documents() + QStringLiteral("/a__.vcf")), QStringLiteral("BEGIN:VCARD"));
        QCOMPARE(readAll(env.documents() + QStringLiteral("/a.vcf")), QStringLiteral("old"));
        QCOMPARE(host.stack.last()->screenNumber(), int(FileChooserScreen));
        QCOMPARE(RecordingFileChooser::calls, QStringList({QStringLiteral("loadFiles 0"), QStringLiteral("importFile a__.vcf")}));
        QVERIFY(delegate.remoteFile.isEmpty());
    }

    void handInDuringAnOperationWaitsItsTurn()
    {
        TestEnvironment env;
        RecordingUiHost host;
        AppDelegate delegate;
        delegate.launch();
        const QString first = env.path(QStringLiteral("b.vcf"));
        const QString second = env.path(QStringLiteral("c.ldif"));
        writeFile(first, "BEGIN:VCARD");
        writeFile(second, "dn: x");
        auto questions = [&host] {
            QStringList texts;
            for (const auto &alert : std::as_const(host.alerts)) {
                if (!alert.buttons.isEmpty())
                    texts.append(alert.text);
            }
            return texts;
        };

        // A worker runs, as an import does: neither file is asked for nor moved.
        QSemaphore gate;
        MainThread::runOnWorker([&gate] { gate.acquire(); });
        QVERIFY(delegate.handleOpenURL(QUrl::fromLocalFile(first)));
        QVERIFY(delegate.handleOpenURL(QUrl::fromLocalFile(second)));
        QTest::qWait(50);
        QVERIFY(questions().isEmpty());
        QCOMPARE(delegate.pendingFiles().size(), 2);
        QVERIFY(QFile::exists(first));

        host.answers.enqueue(1); // Yes for the first
        host.answers.enqueue(0); // No for the second
        gate.release();
        QTRY_COMPARE(questions(), QStringList({QStringLiteral("Import b.vcf ?"), QStringLiteral("Import c.ldif ?")}));
        QTRY_COMPARE(RecordingFileChooser::calls, QStringList({QStringLiteral("loadFiles 0"), QStringLiteral("importFile b.vcf")}));
        QVERIFY(QFile::exists(second));
        QVERIFY(delegate.pendingFiles().isEmpty());
    }

    void targetNamesFollowTheUnderscoreRule()
    {
        TestEnvironment env;
        const QString docs = env.documents() + QLatin1Char('/');
        QCOMPARE(MainViewController::targetPathFor(QStringLiteral("/x/b.ldif")), docs + QStringLiteral("b.ldif"));
        writeFile(docs + QStringLiteral("notes"), "");
        QCOMPARE(MainViewController::targetPathFor(QStringLiteral("/x/notes")), docs + QStringLiteral("notes_"));
        writeFile(docs + QStringLiteral("c.tar.gz"), "");
        QCOMPARE(MainViewController::targetPathFor(QStringLiteral("/x/c.tar.gz")), docs + QStringLiteral("c.tar_.gz"));
    }

    void failedMoveIsReportedAndNothingImported()
    {
        TestEnvironment env;
        RecordingUiHost host;
        MainViewController menu;
        menu.importFile(env.path(QStringLiteral("missing.vcf")));
        QCOMPARE(host.lastTitle(), QStringLiteral("Error"));
        QVERIFY(host.lastText().startsWith(QLatin1String("Move: ")));
        QVERIFY(host.lastText().size() > 6);
        QVERIFY(RecordingFileChooser::calls.isEmpty());
        QVERIFY(host.stack.isEmpty());
    }

    void otherLinksAreNotHandledWithoutACloudAccount()
    {
        TestEnvironment env;
        RecordingUiHost host;
        AppDelegate delegate;
        QVERIFY(!delegate.handleOpenURL(QUrl(QStringLiteral("db-key://1/connect?x=1"))));
        QVERIFY(host.alerts.isEmpty());
        QCOMPARE(AppDelegate::urlFromArgument(QStringLiteral("db-key://1/connect")).scheme(), QStringLiteral("db-key"));
        QVERIFY(AppDelegate::urlFromArgument(QStringLiteral("some file.vcf")).isLocalFile());
    }
};

QTEST_GUILESS_MAIN(AppDelegateTest)
#include "appdelegate_test.moc"
