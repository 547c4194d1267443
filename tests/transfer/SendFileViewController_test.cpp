// The send screen and the file list's two sending modes: the field checks, a send from start
// to report, and the hand-over of a file to the mail composer.

#include "support/FakeMailComposer.h"
#include "support/RecordingUiHost.h"
#include "support/TestEnvironment.h"
#include "support/UploadStandIn.h"

#include "importing/FileChooserViewController.h"
#include "screens/ScreenCatalog.h"
#include "shell/ScreenRegistry.h"
#include "transfer/SendFileViewController.h"

#include <QFile>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QSignalSpy>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {
void writeFile(const TestEnvironment &env, const QString &name, const QByteArray &bytes)
{
    QFile file(env.documents() + u'/' + name);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qWarning("could not write %s", qPrintable(name));
}
}

class SendFileTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { ScreenCatalog::registerAll(); }
    void cleanup() { ScreenRegistry::clear(); }

    void fieldChecks_data();
    void fieldChecks();
    void sendFromStartToReport_data();
    void sendFromStartToReport();
    void fileListOpensTheSendScreen();
    void fileListHandsTheFileToTheComposer_data();
    void fileListHandsTheFileToTheComposer();
    void realXdgEmailBuildsTheMessage();
};

void SendFileTest::fieldChecks_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("message"); // empty: the post starts
    QTest::newRow("port 1024") << u"127.0.0.1"_s << u"1024"_s << u"Port number must be greater than 1024."_s;
    QTest::newRow("port 1025") << u"127.0.0.1"_s << u"1025"_s << QString();
    QTest::newRow("port 65535") << u"127.0.0.1"_s << u"65535"_s << QString();
    QTest::newRow("port 65536") << u"127.0.0.1"_s << u"65536"_s << u"Port number must be between 1025 and 65535."_s;
    QTest::newRow("port 74616 would wrap to 9080") << u"127.0.0.1"_s << u"74616"_s
                                                 << u"Port number must be between 1025 and 65535."_s;
    QTest::newRow("not a number") << u"127.0.0.1"_s << u"http"_s << u"Port number must be greater than 1024."_s;
    QTest::newRow("negative") << u"127.0.0.1"_s << u"-8080"_s << u"Port number must be greater than 1024."_s;
    QTest::newRow("no address") << QString() << u"8080"_s << u"Missing server address."_s;
}

void SendFileTest::fieldChecks()
{
    QFETCH(QString, address);
    QFETCH(QString, port);
    QFETCH(QString, message);
    TestEnvironment env;
    RecordingUiHost host;
    SendFileViewController screen;
    screen.setFile(u"missing.vcf"_s);
    screen.setAddress(address);
    screen.setPort(port);
    QSignalSpy finished(&screen, &SendFileViewController::sendFinished);
    screen.buttonPressed();
    if (!message.isEmpty()) {
        QCOMPARE(host.lastTitle(), u"Error"_s);
        QCOMPARE(host.lastText(), message);
        QVERIFY(host.progressTitles.isEmpty());
        QVERIFY(finished.isEmpty());
        return;
    }
    // Past the checks the post starts: here it fails on the missing file.
    QCOMPARE(finished.size(), 1);
    QCOMPARE(host.progressTitles, QList<QString>{u"Please Wait ...\n\nFile transfer in progress\n\n"_s});
    QCOMPARE(host.lastText(), u"Error reading file!"_s);
}

void SendFileTest::sendFromStartToReport_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("message");
    QTest::newRow("confirmed") << UploadStandIn::answer("200 OK", "File upload has been completed.") << u"Vennaro"_s
                               << u"Success."_s;
    QTest::newRow("not found") << UploadStandIn::answer("404 Not Found", "<html>no</html>") << u"Error"_s
                               << u"Invalid server response!"_s;
}

void SendFileTest::sendFromStartToReport()
{
    QFETCH(QByteArray, answer);
    QFETCH(QString, title);
    QFETCH(QString, message);
    TestEnvironment env;
    RecordingUiHost host;
    writeFile(env, u"a.vcf"_s, "abc");
    UploadStandIn server({{answer}});
    SendFileViewController screen;
    screen.setFile(u"a.vcf"_s);
    QCOMPARE(screen.fileText(), u"File to send:    a.vcf"_s);
    QCOMPARE(screen.port(), u"8080"_s);
    screen.setAddress(u"127.0.0.1"_s);
    screen.setPort(QString::number(server.port()));
    QSignalSpy finished(&screen, &SendFileViewController::sendFinished);
    screen.buttonPressed();
    QVERIFY(screen.isLocked());
    QVERIFY(host.progressOpen);
    // A second press while sending starts nothing.
    screen.buttonPressed();
    QVERIFY(finished.wait(10000));
    QCOMPARE(server.requests.size(), 1);
    QVERIFY(server.requests.first().head.startsWith("POST /filepost HTTP/1.1"));
    QVERIFY(!screen.isLocked());
    QVERIFY(!host.progressOpen);
    QCOMPARE(host.lockHistory, QList<bool>({true, false}));
    QCOMPARE(host.alerts.size(), 1);
    QCOMPARE(host.lastTitle(), title);
    QCOMPARE(host.lastText(), message);
    QVERIFY(!screen.isSending());
}

void SendFileTest::fileListOpensTheSendScreen()
{
    TestEnvironment env;
    RecordingUiHost host;
    writeFile(env, u"all.vcf"_s, "BEGIN:VCARD");
    auto *files = getScreen<FileChooserViewController>(FileChooserScreen);
    files->loadFiles(FileChooserViewController::SendWebMode);
    files->selectRow(0);
    QCOMPARE(host.stack.size(), 1);
    QCOMPARE(host.stack.last()->screenNumber(), int(SendFileScreen));
    QCOMPARE(static_cast<SendFileViewController *>(host.stack.last())->file(), u"all.vcf"_s);
}

void SendFileTest::fileListHandsTheFileToTheComposer_data()
{
    QTest::addColumn<bool>("installed");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("message");
    QTest::newRow("handed over") << true << 0 << u"Vennaro"_s << u"e-mail result: not sent"_s;
    QTest::newRow("composer failed") << true << 3 << u"Vennaro"_s << u"e-mail result: failed"_s;
    QTest::newRow("no composer") << false << 0 << u"Warning"_s << u"Email is not configure on this device."_s;
}

void SendFileTest::fileListHandsTheFileToTheComposer()
{
    QFETCH(bool, installed);
    QFETCH(int, exitCode);
    QFETCH(QString, title);
    QFETCH(QString, message);
    TestEnvironment env;
    RecordingUiHost host;
    FakeMailComposer composer(installed, exitCode);
    writeFile(env, u"all.vcf"_s, "BEGIN:VCARD");
    auto *files = getScreen<FileChooserViewController>(FileChooserScreen);
    files->loadFiles(FileChooserViewController::SendEmailMode);
    QSignalSpy finished(files, &FileChooserViewController::mailFinished);
    files->selectRow(0);
    if (installed) {
        QVERIFY(finished.wait(10000));
        QCOMPARE(composer.arguments(), QStringList({u"--subject"_s, u"AddressBook contacts!"_s, u"--body"_s,
                                                    u"See attachment!"_s, u"--attach"_s, env.documents() + u"/all.vcf"_s}));
    }
    QCOMPARE(host.alerts.size(), 1);
    QCOMPARE(host.lastTitle(), title);
    QCOMPARE(host.lastText(), message);
}

// The real xdg-email, with the mail program it starts replaced through MAILER.
void SendFileTest::realXdgEmailBuildsTheMessage()
{
    TestEnvironment env;
    RecordingUiHost host;
    QVERIFY2(!QStandardPaths::findExecutable(u"xdg-email"_s).isEmpty(), "scripts/install-deps installs xdg-utils");
    const QString mailer = env.path(u"mailer"_s);
    QFile script(mailer);
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\nprintf '%s' \"$1\" > \"$0.url\"\n");
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QByteArray previous = qgetenv("MAILER");
    qputenv("MAILER", mailer.toLocal8Bit());
    auto restore = qScopeGuard([&] { previous.isNull() ? qunsetenv("MAILER") : qputenv("MAILER", previous); });

    writeFile(env, u"my contacts.vcf"_s, "BEGIN:VCARD");
    auto *files = getScreen<FileChooserViewController>(FileChooserScreen);
    files->loadFiles(FileChooserViewController::SendEmailMode);
    QSignalSpy finished(files, &FileChooserViewController::mailFinished);
    files->selectRow(0);
    QVERIFY(finished.wait(20000));
    QCOMPARE(finished.first().first().toBool(), true);
    QFile url(mailer + u".url"_s);
    QVERIFY(url.open(QIODevice::ReadOnly));
    const QByteArray received = url.readAll();
    const qsizetype attach = received.indexOf("&attach=");
    QCOMPARE(received.left(attach), QByteArray("mailto:?subject=AddressBook%20contacts%21&body=See%20attachment%21"));
    QCOMPARE(QUrl::fromPercentEncoding(received.mid(attach + 8)), env.documents() + u"/my contacts.vcf"_s);
}

QTEST_MAIN(SendFileTest)
#include "SendFileViewController_test.moc"
