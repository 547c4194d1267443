// The upload client against a raw loopback server: the exact request, how answers are judged,
// the failures found before sending, and the authentication challenge.

#include "support/TestEnvironment.h"
#include "support/UploadStandIn.h"

#include "transfer/HTTPPostFile.h"
#include "transfer/HTTPPostFileBody.h"

#include <QFile>
#include <QSignalSpy>
#include <QTcpServer>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

struct Outcome {
    bool finished = false;
    bool success = false;
    QString message;
    int reports = 0;
};

// Runs one upload to the end; every report is counted.
Outcome post(const QUrl &url, const QString &path, int timeout = 30000)
{
    HTTPPostFile poster(url, path, u"iphone"_s, QString());
    poster.setTimeout(timeout);
    Outcome outcome;
    QObject::connect(&poster, &HTTPPostFile::done, [&](HTTPPostFile *reporter) {
        outcome.success = reporter == &poster;
        outcome.finished = true;
        ++outcome.reports;
    });
    QObject::connect(&poster, &HTTPPostFile::failed, [&](const QString &message, HTTPPostFile *) {
        outcome.message = message;
        outcome.finished = true;
        ++outcome.reports;
    });
    poster.upload();
    if (!QTest::qWaitFor([&] { return outcome.finished; }, 15000))
        qWarning("the upload did not report");
    QTest::qWait(100); // a second report would come now
    return outcome;
}

QString writeFile(const TestEnvironment &env, const QString &name, const QByteArray &bytes)
{
    const QString path = env.path(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qWarning("could not write %s", qPrintable(path));
    return path;
}

const QByteArray kConfirmation = "File upload has been completed.";

} // namespace

class HTTPPostFileTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void bodyOfAThreeByteFile();
    void requestOnTheWire();
    void largeFileIsStreamedUnchanged();
    void answers_data();
    void answers();
    void failuresBeforeSending_data();
    void failuresBeforeSending();
    void refusedConnection();
    void silentServerTimesOut();
    void authentication_data();
    void authentication();
};

void HTTPPostFileTest::bodyOfAThreeByteFile()
{
    TestEnvironment env;
    HTTPPostFileBody body(writeFile(env, u"a.vcf"_s, "abc"));
    QVERIFY(body.openFile());
    const QList<QByteArray> parts{"--0xVelkorQuintar\r\n",
                                  "Content-Disposition: form-data; name=\"currentpath\";\r\n\r\n",
                                  "./\r\n",
                                  "--0xVelkorQuintar\r\n",
                                  "Content-Disposition: form-data; name=\"file\"; filename=\"a.vcf\"\r\n\r\n",
                                  "abc",
                                  "\r\n--0xVelkorQuintar--\r\n"};
    QList<int> sizes;
    for (const QByteArray &part : parts)
        sizes.append(int(part.size()));
    QCOMPARE(sizes, QList<int>({19, 55, 4, 19, 65, 3, 23}));
    QCOMPARE(body.size(), 188);
    QCOMPARE(body.readAll(), parts.join());
    // Sent again after a challenge: the same bytes from the start.
    QVERIFY(body.reset());
    QCOMPARE(body.read(200).size(), 188);
}

void HTTPPostFileTest::requestOnTheWire()
{
    TestEnvironment env;
    UploadStandIn server({{UploadStandIn::answer("200 OK", kConfirmation)}});
    const Outcome outcome = post(server.url(), writeFile(env, u"a.vcf"_s, "abc"));
    QVERIFY(outcome.success);
    QCOMPARE(server.requests.size(), 1);
    const UploadStandIn::Request &request = server.requests.first();
    QVERIFY2(request.head.startsWith("POST /filepost HTTP/1.1\r\n"), request.head.constData());
    QCOMPARE(request.header("Content-Type"), QByteArray("multipart/form-data; boundary=0xVelkorQuintar"));
    QCOMPARE(request.header("Content-Length"), QByteArray("188"));
    QVERIFY(request.header("User-Agent").startsWith("Vennaro"));
    HTTPPostFileBody expected(env.path(u"a.vcf"_s));
    QVERIFY(expected.openFile());
    QCOMPARE(request.body, expected.readAll());
}

void HTTPPostFileTest::largeFileIsStreamedUnchanged()
{
    TestEnvironment env;
    QByteArray bytes(3 * 1024 * 1024 + 7, Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i)
        bytes[i] = char((i * 7919) >> 3);
    UploadStandIn server({{UploadStandIn::answer("200 OK", kConfirmation)}});
    QVERIFY(post(server.url(), writeFile(env, u"big.vnbin"_s, bytes)).success);
    QCOMPARE(server.requests.size(), 1);
    QCOMPARE(server.requests.first().body, HTTPPostFileBody::head(u"big.vnbin"_s) + bytes + HTTPPostFileBody::tail());
}

void HTTPPostFileTest::answers_data()
{
    QTest::addColumn<QList<QByteArray>>("pieces");
    QTest::addColumn<QString>("message"); // empty: success
    QTest::newRow("confirmation") << QList<QByteArray>{UploadStandIn::answer("200 OK", kConfirmation)} << QString();
    QTest::newRow("confirmation inside a page")
        << QList<QByteArray>{UploadStandIn::answer("200 OK", "<html><p>Your upload has been completed, or not</p></html>")}
        << QString();
    // The status code is never looked at.
    QTest::newRow("confirmation with an error status")
        << QList<QByteArray>{UploadStandIn::answer("500 Internal Server Error", kConfirmation)} << QString();
    const QByteArray split = UploadStandIn::answer("200 OK", kConfirmation);
    const qsizetype middle = split.indexOf("has been");
    QTest::newRow("confirmation split over two pieces") << QList<QByteArray>{split.left(middle), split.mid(middle)} << QString();
    QTest::newRow("not found page")
        << QList<QByteArray>{UploadStandIn::answer("404 Not Found", "<html><body>Not found</body></html>")}
        << u"Invalid server response!"_s;
    QTest::newRow("ok without confirmation") << QList<QByteArray>{UploadStandIn::answer("200 OK", "<html>folder</html>")}
                                             << u"Invalid server response!"_s;
}

void HTTPPostFileTest::answers()
{
    QFETCH(QList<QByteArray>, pieces);
    QFETCH(QString, message);
    TestEnvironment env;
    UploadStandIn server({pieces});
    const Outcome outcome = post(server.url(), writeFile(env, u"a.vcf"_s, "abc"));
    QCOMPARE(outcome.reports, 1);
    QCOMPARE(outcome.success, message.isEmpty());
    QCOMPARE(outcome.message, message);
}

void HTTPPostFileTest::failuresBeforeSending_data()
{
    QTest::addColumn<QString>("file"); // "" none, "/" a folder, else its content
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("message");
    QTest::newRow("missing file") << QString() << u"http://127.0.0.1:9/filepost"_s << u"Error reading file!"_s;
    QTest::newRow("folder") << u"/"_s << u"http://127.0.0.1:9/filepost"_s << u"Error reading file!"_s;
    QTest::newRow("empty file") << u"0"_s << u"http://127.0.0.1:9/filepost"_s << u"Error empty file!"_s;
    QTest::newRow("no host") << u"abc"_s << u"http://:8080/filepost"_s << u"Invalid URL!"_s;
    QTest::newRow("bad port text") << u"abc"_s << u"http://127.0.0.1:80x/filepost"_s << u"Invalid URL!"_s;
}

void HTTPPostFileTest::failuresBeforeSending()
{
    QFETCH(QString, file);
    QFETCH(QString, url);
    QFETCH(QString, message);
    TestEnvironment env;
    const QString path = env.path(u"x.vcf"_s);
    if (file == u"/"_s)
        QVERIFY(QDir().mkpath(path));
    else if (!file.isEmpty())
        writeFile(env, u"x.vcf"_s, file == u"0"_s ? QByteArray() : file.toUtf8());
    const Outcome outcome = post(QUrl(url), path);
    QCOMPARE(outcome.reports, 1);
    QVERIFY(!outcome.success);
    QCOMPARE(outcome.message, message);
}

void HTTPPostFileTest::refusedConnection()
{
    TestEnvironment env;
    QTcpServer closed;
    QVERIFY(closed.listen(QHostAddress::LocalHost));
    const quint16 port = closed.serverPort();
    closed.close();
    const Outcome outcome = post(QUrl(u"http://127.0.0.1:%1/filepost"_s.arg(port)), writeFile(env, u"a.vcf"_s, "abc"));
    QCOMPARE(outcome.reports, 1);
    QVERIFY(!outcome.success);
    QVERIFY2(outcome.message.contains(u"refused"_s, Qt::CaseInsensitive), qPrintable(outcome.message));
}

void HTTPPostFileTest::silentServerTimesOut()
{
    TestEnvironment env;
    UploadStandIn server(QList<QList<QByteArray>>{QList<QByteArray>{}});
    const Outcome outcome = post(server.url(), writeFile(env, u"a.vcf"_s, "abc"), 300);
    QCOMPARE(outcome.reports, 1);
    QCOMPARE(outcome.message, u"The request timed out."_s);
}

void HTTPPostFileTest::authentication_data()
{
    QTest::addColumn<bool>("acceptsCredential");
    QTest::addColumn<QString>("message");
    QTest::newRow("credential taken") << true << QString();
    QTest::newRow("credential refused") << false << u"Authentication failure!"_s;
}

void HTTPPostFileTest::authentication()
{
    QFETCH(bool, acceptsCredential);
    QFETCH(QString, message);
    TestEnvironment env;
    const QByteArray challenge = UploadStandIn::answer("401 Unauthorized", "no", "WWW-Authenticate: Basic realm=\"files\"\r\n");
    QList<QList<QByteArray>> answers{{challenge}};
    answers.append({acceptsCredential ? UploadStandIn::answer("200 OK", kConfirmation) : challenge});
    UploadStandIn server(answers);
    const Outcome outcome = post(server.url(), writeFile(env, u"a.vcf"_s, "abc"));
    QCOMPARE(outcome.reports, 1);
    QCOMPARE(outcome.message, message);
    QCOMPARE(server.requests.size(), 2);
    // The second request carries user "iphone" with an empty password, and the whole body again.
    QCOMPARE(server.requests[1].header("Authorization"), "Basic " + QByteArray("iphone:").toBase64());
    QCOMPARE(server.requests[1].body.size(), 188);
}

QTEST_MAIN(HTTPPostFileTest)
#include "HTTPPostFile_test.moc"
