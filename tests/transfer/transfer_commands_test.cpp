// `vennaro send` against a loopback server and `vennaro mail` with a stand-in composer.

#include "support/FakeMailComposer.h"
#include "support/TestEnvironment.h"
#include "support/UploadStandIn.h"

#include <QFile>
#include <QProcess>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {
struct Run {
    int status = -1;
    QString out;
    QString err;
};

// Runs the program without blocking this thread's event loop, which serves the stand-in.
Run runAsync(const TestEnvironment &env, const QStringList &arguments)
{
    QProcess process;
    process.setProgram(qEnvironmentVariable("VENNARO_BINARY"));
    process.setArguments(QStringList{u"--documents"_s, env.documents(), u"--addressbook"_s, env.addressBookPath()} + arguments);
    process.start();
    Run run;
    if (!process.waitForStarted())
        return run;
    if (!QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 60000))
        return run;
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}
}

class TransferCommandsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void send_data();
    void send();
    void mail_data();
    void mail();
};

void TransferCommandsTest::send_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<QString>("port"); // empty: the stand-in's
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("printed");
    QTest::newRow("confirmed") << UploadStandIn::answer("200 OK", "File upload has been completed.") << QString() << 0
                               << u"Success.\n"_s;
    QTest::newRow("not found") << UploadStandIn::answer("404 Not Found", "<html/>") << QString() << 1
                               << u"vennaro: Invalid server response!\n"_s;
    QTest::newRow("low port") << QByteArray() << u"1024"_s << 1 << u"vennaro: Port number must be greater than 1024.\n"_s;
}

void TransferCommandsTest::send()
{
    QFETCH(QByteArray, answer);
    QFETCH(QString, port);
    QFETCH(int, status);
    QFETCH(QString, printed);
    TestEnvironment env;
    QFile file(env.documents() + u"/a.vcf"_s);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("abc");
    file.close();
    UploadStandIn server({{answer}});
    const QString to = u"127.0.0.1:"_s + (port.isEmpty() ? QString::number(server.port()) : port);
    const Run run = runAsync(env, {u"send"_s, u"a.vcf"_s, u"--to"_s, to});
    QCOMPARE(run.status, status);
    QCOMPARE(status == 0 ? run.out : run.err, printed);
    QCOMPARE(server.requests.size(), port.isEmpty() ? 1 : 0);
    if (port.isEmpty())
        QVERIFY(server.requests.first().body.contains("filename=\"a.vcf\"\r\n\r\nabc\r\n--0xVelkorQuintar--\r\n"));
}

void TransferCommandsTest::mail_data()
{
    QTest::addColumn<bool>("installed");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("err");
    QTest::newRow("handed over") << true << 0 << 0 << QString();
    QTest::newRow("composer failed") << true << 1 << 1 << u"vennaro: e-mail result: failed\n"_s;
    QTest::newRow("no composer") << false << 0 << 1 << u"vennaro: Email is not configure on this device.\n"_s;
}

void TransferCommandsTest::mail()
{
    QFETCH(bool, installed);
    QFETCH(int, exitCode);
    QFETCH(int, status);
    QFETCH(QString, err);
    TestEnvironment env;
    QFile file(env.documents() + u"/a.vcf"_s);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    FakeMailComposer composer(installed, exitCode);
    QString out;
    QString error;
    QCOMPARE(env.runProgram({u"mail"_s, u"a.vcf"_s}, &out, &error), status);
    QCOMPARE(error, err);
    if (installed)
        QCOMPARE(composer.arguments().last(), env.documents() + u"/a.vcf"_s);
}

QTEST_MAIN(TransferCommandsTest)
#include "transfer_commands_test.moc"
