// The peer transfer: a 200 MB file between two `vennaro peer` processes on 127.0.0.1 with
// 30 KiB blocks. Prints the throughput, each side's CPU time and peak memory, and what one
// block in flight allows at the measured round trip of a 30 KiB message and its 16-byte
// answer on this machine.

#include "benchsupport.h"

#include "transfer/PeerFraming.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>

#include <cstdio>
#include <thread>

#include <sys/resource.h>

namespace {

const int kBlock = 30720;

double childCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Seconds per round trip of a 30 KiB message answered by 16 bytes, both framed, over loopback
// with the session's socket options; the answering side runs in a thread of its own.
double measuredRoundTrip(int rounds)
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    const quint16 port = server.serverPort();
    std::thread echo([port, rounds] {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, port);
        socket.waitForConnected();
        socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
        const QByteArray answer = PeerFraming::frame(QByteArray(16, 'a'));
        const qint64 message = 4 + 16 + kBlock;
        for (int i = 0; i < rounds; ++i) {
            while (socket.bytesAvailable() < message)
                socket.waitForReadyRead();
            socket.read(message);
            socket.write(answer);
            socket.waitForBytesWritten();
        }
    });
    server.waitForNewConnection(5000);
    QTcpSocket *socket = server.nextPendingConnection();
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    const QByteArray block = PeerFraming::frame(QByteArray(16 + kBlock, 'b'));
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < rounds; ++i) {
        socket->write(block);
        socket->waitForBytesWritten();
        while (socket->bytesAvailable() < 20)
            socket->waitForReadyRead();
        socket->read(20);
    }
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    echo.join();
    return seconds / rounds;
}

QProcess *startTimed(const QStringList &arguments, const QString &documents)
{
    auto *process = new QProcess;
    process->setProgram(QStringLiteral("/usr/bin/time"));
    process->setArguments(QStringList{QStringLiteral("-f"), QStringLiteral("peak %M KB"), qEnvironmentVariable("VENNARO_BINARY"),
                                      QStringLiteral("--documents"), documents}
                          + arguments);
    process->start();
    return process;
}

QString peakOf(QProcess *process)
{
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("peak (\\d+) KB")).match(QString::fromUtf8(process->readAllStandardError()));
    return match.hasMatch() ? QStringLiteral("%1 MB").arg(match.captured(1).toLongLong() / 1024) : QStringLiteral("?");
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const qint64 fileSize = benchBytes(200LL * 1000 * 1000);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::tempPath() + QStringLiteral("/peer_bench");
    const QString outbox = folder + QStringLiteral("/outbox");
    const QString inbox = folder + QStringLiteral("/inbox");
    QDir(folder).removeRecursively();
    QDir().mkpath(outbox);
    QDir().mkpath(inbox);
    {
        QFile file(outbox + QStringLiteral("/big.bin"));
        file.open(QIODevice::WriteOnly);
        QByteArray chunk(1 << 20, Qt::Uninitialized);
        quint32 x = 2463534242u;
        for (qint64 written = 0; written < fileSize; written += chunk.size()) {
            for (qsizetype i = 0; i < chunk.size(); ++i) {
                x ^= x << 13;
                x ^= x >> 17;
                x ^= x << 5;
                chunk[i] = char(x);
            }
            file.write(chunk.constData(), qMin<qint64>(chunk.size(), fileSize - written));
        }
    }

    const double roundTrip = measuredRoundTrip(3000);
    const double bound = kBlock / roundTrip / 1e6;
    std::printf("   round trip of a 30 KiB block and its answer: %.1f us; one block in flight allows %.1f MB/s\n",
                roundTrip * 1e6, bound);

    QProcess *receiver = startTimed({QStringLiteral("peer"), QStringLiteral("receive"), QStringLiteral("--port"), QStringLiteral("0"),
                                     QStringLiteral("--bind"), QStringLiteral("127.0.0.1"), QStringLiteral("--yes"),
                                     QStringLiteral("--once")},
                                    inbox);
    quint16 port = 0;
    while (port == 0 && receiver->waitForReadyRead(10000)) {
        const QRegularExpressionMatch match =
            QRegularExpression(QStringLiteral("Listening on [^:]+:(\\d+)")).match(QString::fromUtf8(receiver->readAllStandardOutput()));
        if (match.hasMatch())
            port = quint16(match.captured(1).toUInt());
    }
    if (port == 0) {
        std::printf("   the receiver did not start\n");
        return 1;
    }
    double cpu = childCpuSeconds();
    QElapsedTimer timer;
    timer.start();
    QProcess *sender = startTimed({QStringLiteral("peer"), QStringLiteral("send"), outbox + QStringLiteral("/big.bin"),
                                   QStringLiteral("--to"), QStringLiteral("127.0.0.1:%1").arg(port)},
                                  outbox);
    sender->waitForFinished(-1);
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    const double senderCpu = childCpuSeconds() - cpu;
    cpu = childCpuSeconds();
    receiver->waitForFinished(60000);
    const double receiverCpu = childCpuSeconds() - cpu;
    const bool same = QFile(inbox + QStringLiteral("/big.bin")).size() == fileSize && sender->exitCode() == 0
                      && receiver->exitCode() == 0;
    const double rate = fileSize / seconds / 1e6;
    std::printf("   %lld MB sent: %.2f s, %.1f MB/s (%.0f%% of the one-block bound)%s\n", fileSize / 1000000, seconds,
                rate, 100 * rate / bound,
                same ? "" : " -- TRANSFER FAILED");
    std::printf("   sender: cpu %.2f s, peak memory %s; receiver: cpu %.2f s, peak memory %s\n",
                senderCpu, qPrintable(peakOf(sender)), receiverCpu, qPrintable(peakOf(receiver)));
    delete sender;
    delete receiver;
    QDir(folder).removeRecursively();
    return same ? 0 : 1;
}
