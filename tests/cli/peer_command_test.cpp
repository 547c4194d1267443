// `vennaro peer receive` and `vennaro peer send` as two processes on loopback.

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

#include "TestEnvironment.h"

namespace {

// A `vennaro peer receive` process on 127.0.0.1 at a port of the system's choice.
class Receiver {
public:
    Receiver(const TestEnvironment &env, const QStringList &options)
    {
        process.setProgram(qEnvironmentVariable("VENNARO_BINARY"));
        process.setArguments(QStringList{QStringLiteral("--documents"), env.documents(), QStringLiteral("--addressbook"),
                                         env.addressBookPath(), QStringLiteral("peer"), QStringLiteral("receive"),
                                         QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--bind"),
                                         QStringLiteral("127.0.0.1")}
                             + options);
        process.start();
    }
    ~Receiver()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished();
        }
    }
    // The port from "Listening on 127.0.0.1:PORT"; 0 when the line does not come.
    quint16 port()
    {
        const QRegularExpression listening(QStringLiteral("^Listening on 127\\.0\\.0\\.1:(\\d+)$"));
        while (process.waitForReadyRead(10000) || process.canReadLine()) {
            while (process.canReadLine()) {
                const QString line = QString::fromUtf8(process.readLine()).trimmed();
                output.append(line);
                const QRegularExpressionMatch match = listening.match(line);
                if (match.hasMatch())
                    return quint16(match.captured(1).toUInt());
            }
        }
        return 0;
    }
    QStringList finish()
    {
        process.waitForFinished(30000);
        for (const QByteArray &line : process.readAllStandardOutput().split('\n')) {
            if (!line.trimmed().isEmpty())
                output.append(QString::fromUtf8(line.trimmed()));
        }
        return output;
    }

    QProcess process;
    QStringList output;
};

} // namespace

class PeerCommandTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void fileGoesBetweenTwoProcesses();
    void answerNoOnTheTerminal();
    void sendFailures_data();
    void sendFailures();
};

void PeerCommandTest::fileGoesBetweenTwoProcesses()
{
    TestEnvironment receiving;
    TestEnvironment sending;
    QByteArray content(200000, Qt::Uninitialized);
    for (int i = 0; i < content.size(); ++i)
        content[i] = char((i * 7919) >> 3);
    QFile file(sending.documents() + QStringLiteral("/cards.vcf"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();

    Receiver receiver(receiving, {QStringLiteral("--yes"), QStringLiteral("--once")});
    const quint16 port = receiver.port();
    QVERIFY(port != 0);
    QString out, err;
    const int status = sending.runProgram({QStringLiteral("peer"), QStringLiteral("send"), QStringLiteral("cards.vcf"),
                                           QStringLiteral("--to"), QStringLiteral("127.0.0.1:%1").arg(port)},
                                          &out, &err);
    QCOMPARE(status, 0);
    QVERIFY2(out.contains(QStringLiteral("Transmitting\n")) && out.endsWith(QStringLiteral("File transmitted\n")), qPrintable(out));
    QVERIFY(out.startsWith(QStringLiteral("cards.vcf (195.31 KB)\n")));

    const QStringList lines = receiver.finish();
    QCOMPARE(receiver.process.exitCode(), 0);
    QVERIFY2(lines.contains(QStringLiteral("Receiving")) && lines.contains(QStringLiteral("File received"))
                 && lines.contains(QStringLiteral("cards.vcf")),
             qPrintable(lines.join(QLatin1Char('|'))));
    QFile received(receiving.documents() + QStringLiteral("/cards.vcf"));
    QVERIFY(received.open(QIODevice::ReadOnly));
    QCOMPARE(received.readAll(), content);
}

void PeerCommandTest::answerNoOnTheTerminal()
{
    TestEnvironment receiving;
    TestEnvironment sending;
    QFile file(sending.documents() + QStringLiteral("/a.txt"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("hello");
    file.close();
    Receiver receiver(receiving, {QStringLiteral("--once")});
    const quint16 port = receiver.port();
    QVERIFY(port != 0);
    receiver.process.write("n\n");
    QVERIFY(receiver.process.waitForBytesWritten(5000));
    QString out, err;
    const int status = sending.runProgram({QStringLiteral("peer"), QStringLiteral("send"), QStringLiteral("a.txt"),
                                           QStringLiteral("--to"), QStringLiteral("127.0.0.1:%1").arg(port)},
                                          &out, &err);
    QCOMPARE(status, 1);
    QVERIFY2(err.contains(QStringLiteral("did not accept")), qPrintable(err));
    QVERIFY(receiver.process.state() == QProcess::Running);
    QCOMPARE(QDir(receiving.documents()).entryList(QDir::Files), QStringList());
}

void PeerCommandTest::sendFailures_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("no such file") << QStringList{QStringLiteral("missing.vcf"), QStringLiteral("--to"), QStringLiteral("127.0.0.1")}
                                  << "no file \"missing.vcf\"";
    QTest::newRow("no receiver") << QStringList{QStringLiteral("a.txt")} << "--to HOST[:PORT]";
    QTest::newRow("bad address") << QStringList{QStringLiteral("a.txt"), QStringLiteral("--to"), QStringLiteral("host:port")}
                                 << "is not an address";
}

void PeerCommandTest::sendFailures()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    TestEnvironment env;
    QFile file(env.documents() + QStringLiteral("/a.txt"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("hello");
    file.close();
    QString err;
    QCOMPARE(env.runProgram(QStringList{QStringLiteral("peer"), QStringLiteral("send")} + arguments, nullptr, &err), 1);
    QVERIFY2(err.contains(message), qPrintable(err));
}

QTEST_GUILESS_MAIN(PeerCommandTest)
#include "peer_command_test.moc"
