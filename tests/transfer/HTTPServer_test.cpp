// The HTTP server core over real sockets on 127.0.0.1: byte ranges, error answers and which
// of them close, HEAD, keep-alive, limits, time-outs and the connection list.

#include "support/RawHttp.h"

#include "transfer/HTTPConnection.h"
#include "transfer/HTTPServer.h"

#include <QDir>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray patternBytes(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char(i % 251);
    return bytes;
}

QByteArray get(const QByteArray &path, const QByteArray &fields = QByteArray())
{
    return "GET " + path + " HTTP/1.1\r\nHost: t\r\n" + fields + "\r\n";
}

}

class HTTPServerTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<HTTPServer> m_server;
    QByteArray m_tenThousand = patternBytes(10000);

    QString root() const { return m_dir.filePath(QStringLiteral("root")); }
    void writeFile(const QString &name, const QByteArray &bytes)
    {
        QFile file(root() + QLatin1Char('/') + name);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    RawHttp client() const { return RawHttp(m_server->port()); }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(QDir().mkpath(root()));
        writeFile(QStringLiteral("ten.bin"), m_tenThousand);
        writeFile(QStringLiteral("empty.txt"), QByteArray());
        writeFile(QStringLiteral("big.bin"), patternBytes(1000 * 1000 + 17));
        QFile outside(m_dir.filePath(QStringLiteral("secret.txt")));
        QVERIFY(outside.open(QIODevice::WriteOnly));
        outside.write("secret");
        outside.close();
        QVERIFY(QFile::link(outside.fileName(), root() + QStringLiteral("/link-out.txt")));
    }

    void init()
    {
        m_server = std::make_unique<HTTPServer>();
        m_server->setDocumentRoot(root());
        m_server->setBindAddress(QHostAddress::LocalHost);
        m_server->setPort(0);
        QVERIFY(m_server->start().ok());
        QVERIFY(m_server->port() != 0);
    }

    void cleanup() { m_server.reset(); }

    void ranges_data()
    {
        QTest::addColumn<QByteArray>("range");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("contentRange");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("length");
        QTest::newRow("first 500") << QByteArray("bytes=0-499") << 206 << QByteArray("bytes 0-499/10000") << 0 << 500;
        QTest::newRow("suffix") << QByteArray("bytes=-500") << 206 << QByteArray("bytes 9500-9999/10000") << 9500 << 500;
        QTest::newRow("open end") << QByteArray("bytes=9500-") << 206 << QByteArray("bytes 9500-9999/10000") << 9500 << 500;
        QTest::newRow("end beyond file") << QByteArray("bytes=9990-20000") << 206 << QByteArray("bytes 9990-9999/10000") << 9990 << 10;
        QTest::newRow("start at length") << QByteArray("bytes=10000-") << 200 << QByteArray() << 0 << 10000;
        QTest::newRow("overlapping") << QByteArray("bytes=0-99,50-149") << 200 << QByteArray() << 0 << 10000;
        QTest::newRow("other unit") << QByteArray("items=0-10") << 200 << QByteArray() << 0 << 10000;
        QTest::newRow("not a number") << QByteArray("bytes=abc") << 200 << QByteArray() << 0 << 10000;
        QTest::newRow("lone number") << QByteArray("bytes=7") << 200 << QByteArray() << 0 << 10000;
    }

    void ranges()
    {
        QFETCH(QByteArray, range);
        QFETCH(int, status);
        QFETCH(QByteArray, contentRange);
        QFETCH(int, first);
        QFETCH(int, length);
        RawHttp http = client();
        http.send(get("/ten.bin", "Range: " + range + "\r\n"));
        const std::optional<RawHttp::Response> response = http.read();
        QVERIFY(response);
        QCOMPARE(response->status, status);
        QCOMPARE(response->field("Content-Range").value_or(QByteArray()), contentRange);
        QCOMPARE(response->field("Content-Length"), std::optional<QByteArray>(QByteArray::number(length)));
        QCOMPARE(response->body, m_tenThousand.mid(first, length));
        QVERIFY(!response->field("Content-Type"));
    }

    void multipleRangesComeInTheirOrder()
    {
        RawHttp http = client();
        http.send(get("/ten.bin", "Range: bytes=200-299,0-99\r\n"));
        const std::optional<RawHttp::Response> response = http.read();
        QVERIFY(response);
        QCOMPARE(response->status, 206);
        const QByteArray type = response->field("Content-Type").value_or(QByteArray());
        QVERIFY2(type.startsWith("multipart/byteranges; boundary="), type.constData());
        const QByteArray boundary = type.mid(type.indexOf('=') + 1);
        QVERIFY(QRegularExpression(QStringLiteral("^[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12}$")).match(QString::fromLatin1(boundary)).hasMatch());
        const QByteArray expected = "\r\n--" + boundary + "\r\nContent-Range: bytes 200-299/10000\r\n\r\n" + m_tenThousand.mid(200, 100)
                                    + "\r\n--" + boundary + "\r\nContent-Range: bytes 0-99/10000\r\n\r\n" + m_tenThousand.left(100)
                                    + "\r\n--" + boundary + "--\r\n";
        QCOMPARE(response->body, expected);
        QCOMPARE(http.pending(), QByteArray());
    }

    void errorAnswers_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("closes");
        QTest::newRow("GET with Content-Length 0") << QByteArray("GET /ten.bin HTTP/1.1\r\nContent-Length: 0\r\n\r\n") << 400 << true;
        QTest::newRow("POST without Content-Length") << QByteArray("POST /x HTTP/1.1\r\n\r\n") << 400 << true;
        QTest::newRow("POST with a bad length") << QByteArray("POST /x HTTP/1.1\r\nContent-Length: -1\r\n\r\n") << 400 << true;
        QTest::newRow("POST not supported") << QByteArray("POST /x HTTP/1.1\r\nContent-Length: 0\r\n\r\n") << 405 << true;
        QTest::newRow("DELETE not supported") << QByteArray("DELETE /ten.bin HTTP/1.1\r\n\r\n") << 405 << true;
        QTest::newRow("malformed line") << QByteArray("GET / HTTP/1.1\r\nno colon here\r\n\r\n") << 400 << true;
        QTest::newRow("HTTP/1.0") << QByteArray("GET /ten.bin HTTP/1.0\r\n\r\n") << 505 << false;
        QTest::newRow("missing file") << get("/nothing.bin") << 404 << false;
        QTest::newRow("empty file") << get("/empty.txt") << 404 << false;
        QTest::newRow("a folder") << get("/") << 404 << false;
        QTest::newRow("out of the root") << get("/../secret.txt") << 404 << false;
        QTest::newRow("encoded way out") << get("/%2e%2e/secret.txt") << 404 << false;
        QTest::newRow("link out of the root") << get("/link-out.txt") << 404 << false;
        QTest::newRow("nul in the path") << get("/ten.bin%00.txt") << 404 << false;
    }

    void errorAnswers()
    {
        QFETCH(QByteArray, request);
        QFETCH(int, status);
        QFETCH(bool, closes);
        RawHttp http = client();
        http.send(request);
        const std::optional<RawHttp::Response> response = http.read();
        QVERIFY(response);
        QCOMPARE(response->status, status);
        QCOMPARE(response->field("Content-Length"), std::optional<QByteArray>("0"));
        QCOMPARE(response->field("Accept-Ranges"), std::optional<QByteArray>("bytes"));
        QVERIFY(QRegularExpression(QStringLiteral("^(Mon|Tue|Wed|Thu|Fri|Sat|Sun), \\d\\d (Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) \\d{4} \\d\\d:\\d\\d:\\d\\d GMT$"))
                    .match(QString::fromLatin1(response->field("Date").value_or(QByteArray()))).hasMatch());
        if (closes) {
            QVERIFY(http.closedByServer());
            return;
        }
        http.send(get("/ten.bin"));
        const std::optional<RawHttp::Response> next = http.read();
        QVERIFY(next);
        QCOMPARE(next->status, 200);
        QCOMPARE(next->body, m_tenThousand);
    }

    void statusLines()
    {
        RawHttp http = client();
        http.send(get("/ten.bin") + get("/nothing"));
        QVERIFY(http.read()->head.startsWith("HTTP/1.1 200 OK\r\n"));
        QVERIFY(http.read()->head.startsWith("HTTP/1.1 404 Not Found\r\n"));
        http.send("GET / HTTP/1.0\r\n\r\n");
        QVERIFY(http.read()->head.startsWith("HTTP/1.1 505 HTTP Version Not Supported\r\n"));
    }

    void headGivesTheHeadOfGet()
    {
        RawHttp http = client();
        http.send("HEAD /ten.bin HTTP/1.1\r\n\r\n" + get("/ten.bin"));
        const std::optional<RawHttp::Response> head = http.read(true);
        const std::optional<RawHttp::Response> full = http.read();
        QVERIFY(head && full);
        QCOMPARE(head->status, 200);
        QCOMPARE(head->field("Content-Length"), full->field("Content-Length"));
        QCOMPARE(head->body, QByteArray());
        QCOMPARE(full->body, m_tenThousand);
    }

    void requestsOneAfterTheOther()
    {
        RawHttp http = client();
        for (int i = 0; i < 3; ++i) {
            http.send(get("/ten.bin", "Range: bytes=" + QByteArray::number(i) + "-" + QByteArray::number(i) + "\r\n"));
            const std::optional<RawHttp::Response> response = http.read();
            QVERIFY(response);
            QCOMPARE(response->body, m_tenThousand.mid(i, 1));
        }
        QCOMPARE(m_server->numberOfHTTPConnections(), 1);
    }

    void headsTooLongCloseWithoutAnswer_data()
    {
        QTest::addColumn<QByteArray>("request");
        QByteArray manyFields = "GET / HTTP/1.1\r\n";
        for (int i = 0; i < 100; ++i)
            manyFields += "X-A: b\r\n";
        QTest::newRow("100 fields") << manyFields;
        QTest::newRow("long line") << "GET /" + QByteArray(9000, 'a');
    }

    void headsTooLongCloseWithoutAnswer()
    {
        QFETCH(QByteArray, request);
        RawHttp http = client();
        http.send(request);
        QVERIFY(http.closedByServer());
        QCOMPARE(http.pending(), QByteArray());
    }

    void largeFileWithQtClient()
    {
        QNetworkAccessManager manager;
        QNetworkReply *reply = manager.get(QNetworkRequest(QUrl(QStringLiteral("http://127.0.0.1:%1/big.bin").arg(m_server->port()))));
        QVERIFY(QTest::qWaitFor([reply] { return reply->isFinished(); }, 20000));
        QCOMPARE(reply->error(), QNetworkReply::NoError);
        QCOMPARE(reply->readAll(), patternBytes(1000 * 1000 + 17));
        delete reply;
    }

    void slowAndIdleConnectionsAreClosed()
    {
        m_server->setTimeouts(std::chrono::milliseconds(300), std::chrono::milliseconds(600));
        RawHttp silent = client();
        RawHttp slow = client();
        slow.send("GET /ten.bin HTTP/1.1\r\n");
        RawHttp idle = client();
        idle.send(get("/ten.bin"));
        QVERIFY(idle.read());
        QVERIFY(silent.closedByServer(3000));
        QVERIFY(slow.closedByServer(3000));
        QVERIFY(idle.isConnected());
        QVERIFY(idle.closedByServer(3000));
        QVERIFY(QTest::qWaitFor([this] { return m_server->numberOfHTTPConnections() == 0; }, 3000));
    }

    void connectionsBeyondTheLimitAreClosed()
    {
        m_server->setMaxConnections(2);
        RawHttp first = client();
        RawHttp second = client();
        QVERIFY(QTest::qWaitFor([this] { return m_server->numberOfHTTPConnections() == 2; }, 3000));
        RawHttp third = client();
        QVERIFY(third.closedByServer());
        first.send(get("/ten.bin"));
        QCOMPARE(first.read()->status, 200);
    }

    void stopClosesEveryConnectionAndCanStartAgain()
    {
        RawHttp http = client();
        QVERIFY(QTest::qWaitFor([this] { return m_server->numberOfHTTPConnections() == 1; }, 3000));
        m_server->stop();
        QCOMPARE(m_server->numberOfHTTPConnections(), 0);
        QVERIFY(http.closedByServer());
        QVERIFY(!m_server->isRunning());
        m_server->setPort(0);
        QVERIFY(m_server->start().ok());
        RawHttp again = client();
        again.send(get("/ten.bin"));
        QCOMPARE(again.read()->status, 200);
    }

    void startFailsOnAPortInUse()
    {
        HTTPServer second;
        second.setBindAddress(QHostAddress::LocalHost);
        second.setPort(m_server->port());
        const Result<void> started = second.start();
        QVERIFY(!started.ok());
        QVERIFY(!started.error().isEmpty());
    }
};

QTEST_GUILESS_MAIN(HTTPServerTest)
#include "HTTPServer_test.moc"
