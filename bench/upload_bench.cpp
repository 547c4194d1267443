// The upload client's memory while it posts a 1 GB file to a loopback server that throws the
// bytes away. Goal: the body is streamed from the file, so the peak memory stays flat (tens
// of MB) instead of growing by the file's size.

#include "benchsupport.h"

#include "transfer/HTTPPostFile.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>

#include <cstdio>
#include <cstring>

namespace {

// Reads one request, drops its body as it comes and confirms the upload.
class DiscardingServer : public QObject {
public:
    DiscardingServer()
    {
        m_server.listen(QHostAddress::LocalHost);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            QTcpSocket *socket = m_server.nextPendingConnection();
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { read(socket); });
        });
    }
    quint16 port() const { return m_server.serverPort(); }
    qint64 received = 0;

private:
    void read(QTcpSocket *socket)
    {
        const QByteArray bytes = socket->readAll();
        if (m_bodyLeft < 0) {
            m_head += bytes;
            const qsizetype end = m_head.indexOf("\r\n\r\n");
            if (end < 0)
                return;
            const qsizetype field = m_head.toLower().indexOf("content-length:");
            m_bodyLeft = m_head.mid(field + 15, m_head.indexOf('\r', field) - field - 15).trimmed().toLongLong();
            m_bodyLeft -= m_head.size() - end - 4;
            received = m_head.size() - end - 4;
        } else {
            m_bodyLeft -= bytes.size();
            received += bytes.size();
        }
        if (m_bodyLeft == 0) {
            const QByteArray page = "File upload has been completed.";
            socket->write("HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(page.size()) + "\r\n\r\n" + page);
        }
    }

    QTcpServer m_server;
    QByteArray m_head;
    qint64 m_bodyLeft = -1;
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const qint64 fileSize = benchBytes(qint64(1) << 30);
    BenchScratch scratch(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/tmp/vennaro-upload-bench"),
                         QStringLiteral("upload"));
    const QString path = scratch.documents() + QStringLiteral("/big.vnbin");
    {
        // A sparse file: its size without writing a gigabyte first.
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || !file.resize(fileSize)) {
            std::fprintf(stderr, "could not make %s\n", qPrintable(path));
            return 1;
        }
    }
    DiscardingServer server;
    const qint64 before = memoryMB("VmRSS:");
    HTTPPostFile poster(QUrl(QStringLiteral("http://127.0.0.1:%1/filepost").arg(server.port())), path,
                        QStringLiteral("iphone"), QString());
    QEventLoop loop;
    QString result = QStringLiteral("Success.");
    QObject::connect(&poster, &HTTPPostFile::done, &loop, &QEventLoop::quit);
    QObject::connect(&poster, &HTTPPostFile::failed, &loop, [&](const QString &message) {
        result = message;
        loop.quit();
    });
    BenchTimer timer(QStringLiteral("post a %1 MB file to loopback").arg(fileSize >> 20));
    poster.upload();
    loop.exec();
    timer.report(1, server.received);
    std::printf("   result: %s; body bytes received: %lld\n", qPrintable(result), server.received);
    std::printf("   memory: %lld MB before, %lld MB peak (the file is %lld MB)\n", before, memoryMB("VmHWM:"),
                fileSize >> 20);
    QFile::remove(path);
    return result == QStringLiteral("Success.") ? 0 : 1;
}
