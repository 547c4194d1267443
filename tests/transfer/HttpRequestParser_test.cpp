// The request head parser and the Range field parser: pure functions over bytes.

#include "transfer/ByteRanges.h"
#include "transfer/HttpRequestParser.h"

#include <QTest>

using HttpRequestParser::Outcome;

Q_DECLARE_METATYPE(Outcome)
Q_DECLARE_METATYPE(std::optional<quint64>)

namespace {
QByteArray headWithFields(int count)
{
    QByteArray head = "GET / HTTP/1.1\r\n";
    for (int i = 0; i < count; ++i)
        head += "X-Field-" + QByteArray::number(i) + ": v\r\n";
    return head + "\r\n";
}
}

class HttpRequestParserTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void outcomes_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<Outcome>("outcome");
        QTest::newRow("get") << QByteArray("GET /a HTTP/1.1\r\nHost: x\r\n\r\n") << Outcome::Complete;
        QTest::newRow("no blank line yet") << QByteArray("GET /a HTTP/1.1\r\nHost: x\r\n") << Outcome::Incomplete;
        QTest::newRow("half a line") << QByteArray("GET /a HT") << Outcome::Incomplete;
        QTest::newRow("nothing") << QByteArray() << Outcome::Incomplete;
        QTest::newRow("blank lines first") << QByteArray("\r\n\r\nGET / HTTP/1.1\r\n\r\n") << Outcome::Complete;
        QTest::newRow("other version parses") << QByteArray("GET / HTTP/1.0\r\n\r\n") << Outcome::Complete;
        QTest::newRow("two words") << QByteArray("GET /\r\n\r\n") << Outcome::Malformed;
        QTest::newRow("no version number") << QByteArray("GET / HTTP/1\r\n\r\n") << Outcome::Malformed;
        QTest::newRow("not http") << QByteArray("GET / FTP/1.1\r\n\r\n") << Outcome::Malformed;
        QTest::newRow("blank in target") << QByteArray("GET /a b HTTP/1.1\r\n\r\n") << Outcome::Malformed;
        QTest::newRow("field without colon") << QByteArray("GET / HTTP/1.1\r\nHost\r\n\r\n") << Outcome::Malformed;
        QTest::newRow("blank before colon") << QByteArray("GET / HTTP/1.1\r\nHost : x\r\n\r\n") << Outcome::Malformed;
        QTest::newRow("folded field") << QByteArray("GET / HTTP/1.1\r\nA: b\r\n c\r\n\r\n") << Outcome::Malformed;
        QTest::newRow("bare line feed") << QByteArray("GET / HTTP/1.1\r\nA: b\nB: c\r\n\r\n") << Outcome::Malformed;
        QTest::newRow("nul") << QByteArray("GET /\0 HTTP/1.1\r\n\r\n", 20) << Outcome::Malformed;
        QTest::newRow("longest line") << "GET /" + QByteArray(8190 - 16, 'a') + " HTTP/1.1\r\n\r\n" << Outcome::Complete;
        QTest::newRow("line one byte too long") << "GET /" + QByteArray(8190 - 15, 'a') + " HTTP/1.1\r\n\r\n" << Outcome::LineTooLong;
        QTest::newRow("long line still arriving") << QByteArray(8189, 'a') << Outcome::Incomplete;
        QTest::newRow("99 fields") << headWithFields(99) << Outcome::Complete;
        QTest::newRow("100 fields") << headWithFields(100) << Outcome::TooManyLines;
    }

    void outcomes()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(Outcome, outcome);
        QCOMPARE(HttpRequestParser::parse(bytes).outcome, outcome);
    }

    void completeHeadIsTakenApart()
    {
        const QByteArray bytes = "POST /filepost HTTP/1.1\r\nHost: h\r\nContent-Length:  12 \r\n\r\nbody";
        const HttpRequestParser::Parsed parsed = HttpRequestParser::parse(bytes);
        QCOMPARE(parsed.outcome, Outcome::Complete);
        QCOMPARE(parsed.consumed, bytes.indexOf("body"));
        QCOMPARE(parsed.head.method, QByteArray("POST"));
        QCOMPARE(parsed.head.version, QByteArray("HTTP/1.1"));
        QCOMPARE(parsed.head.field("content-length"), std::optional<QByteArray>("12"));
        quint64 length = 0;
        QCOMPARE(HttpRequestParser::contentLength(parsed.head, &length), HttpRequestParser::BodyLength::Valid);
        QCOMPARE(length, quint64(12));
    }

    void targets_data()
    {
        QTest::addColumn<QByteArray>("target");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("query");
        QTest::newRow("plain") << QByteArray("/a/b.vcf") << QStringLiteral("/a/b.vcf") << QString();
        QTest::newRow("encoded") << QByteArray("/a%20b%23%3F%25.vcf?delete=yes") << QStringLiteral("/a b#?%.vcf") << QStringLiteral("delete=yes");
        QTest::newRow("utf-8") << QByteArray("/%C3%A1rvore") << QStringLiteral("/\u00e1rvore") << QString();
        QTest::newRow("absolute form") << QByteArray("http://host:8080/x?y=1") << QStringLiteral("/x") << QStringLiteral("y=1");
        QTest::newRow("absolute without path") << QByteArray("http://host") << QStringLiteral("/") << QString();
    }

    void targets()
    {
        QFETCH(QByteArray, target);
        QFETCH(QString, path);
        QFETCH(QString, query);
        HttpRequestHead head;
        head.target = target;
        QCOMPARE(head.path(), path);
        QCOMPARE(head.query(), query);
        QCOMPARE(head.uri(), query.isEmpty() ? path : path + QLatin1Char('?') + query);
    }

    void numbers_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<std::optional<quint64>>("number");
        QTest::newRow("plain") << QByteArray("500") << std::optional<quint64>(500);
        QTest::newRow("blanks and plus") << QByteArray(" \t+7") << std::optional<quint64>(7);
        QTest::newRow("tail ignored") << QByteArray("12abc") << std::optional<quint64>(12);
        QTest::newRow("largest") << QByteArray("18446744073709551615") << std::optional<quint64>(18446744073709551615ull);
        QTest::newRow("beyond 64 bits") << QByteArray("18446744073709551616") << std::optional<quint64>();
        QTest::newRow("negative") << QByteArray("-1") << std::optional<quint64>();
        QTest::newRow("no digits") << QByteArray("abc") << std::optional<quint64>();
        QTest::newRow("empty") << QByteArray() << std::optional<quint64>();
    }

    void numbers()
    {
        QFETCH(QByteArray, text);
        QFETCH(std::optional<quint64>, number);
        QCOMPARE(HttpRequestParser::parseNumber(text), number);
    }

    void contentLengthsThatDisagree()
    {
        HttpRequestHead head;
        head.fields = {{"Content-Length", "5"}, {"content-length", "6"}};
        quint64 length = 0;
        QCOMPARE(HttpRequestParser::contentLength(head, &length), HttpRequestParser::BodyLength::Invalid);
        head.fields = {{"Content-Length", "5"}, {"content-length", "5"}};
        QCOMPARE(HttpRequestParser::contentLength(head, &length), HttpRequestParser::BodyLength::Valid);
        head.fields = {{"Content-Length", "x"}};
        QCOMPARE(HttpRequestParser::contentLength(head, &length), HttpRequestParser::BodyLength::Invalid);
    }

    // Ranges on a 10000-byte body; an empty list stands for "not a range request".
    void ranges_data()
    {
        QTest::addColumn<QByteArray>("field");
        QTest::addColumn<QList<ByteRange>>("ranges");
        using R = QList<ByteRange>;
        QTest::newRow("first 500") << QByteArray("bytes=0-499") << R{{0, 500}};
        QTest::newRow("suffix") << QByteArray("bytes=-500") << R{{9500, 500}};
        QTest::newRow("open end") << QByteArray("bytes=9500-") << R{{9500, 500}};
        QTest::newRow("start at the length") << QByteArray("bytes=10000-") << R{};
        QTest::newRow("overlap") << QByteArray("bytes=0-99,50-149") << R{};
        QTest::newRow("two in given order") << QByteArray("bytes=200-299,0-99") << R{{200, 100}, {0, 100}};
        QTest::newRow("other unit") << QByteArray("items=0-10") << R{};
        QTest::newRow("not a number") << QByteArray("bytes=abc") << R{};
        QTest::newRow("unit ignoring case, blanks") << QByteArray(" Bytes = 0-0 , 2-2") << R{{0, 1}, {2, 1}};
        QTest::newRow("end beyond the body") << QByteArray("bytes=9000-20000") << R{{9000, 1000}};
        QTest::newRow("start beyond the body") << QByteArray("bytes=20000-30000") << R{};
        QTest::newRow("lone number") << QByteArray("bytes=5") << R{};
        QTest::newRow("end before start") << QByteArray("bytes=9-5") << R{};
        QTest::newRow("empty suffix") << QByteArray("bytes=-0") << R{};
        QTest::newRow("suffix longer than body") << QByteArray("bytes=-10001") << R{};
        QTest::newRow("hyphen only") << QByteArray("bytes=-") << R{};
        QTest::newRow("no equals") << QByteArray("bytes 0-5") << R{};
        QTest::newRow("trailing comma") << QByteArray("bytes=0-5,") << R{};
        QTest::newRow("garbage after number") << QByteArray("bytes=0-5x") << R{{0, 6}};
        QList<QByteArray> pieces;
        R expected;
        for (int i = 0; i < 17; ++i) {
            pieces.append(QByteArray::number(i * 10) + '-' + QByteArray::number(i * 10 + 1));
            if (i < 16)
                expected.append({quint64(i * 10), 2});
        }
        QTest::newRow("16 ranges") << "bytes=" + pieces.mid(0, 16).join(',') << expected;
        QTest::newRow("17 ranges") << "bytes=" + pieces.join(',') << R{};
    }

    void ranges()
    {
        QFETCH(QByteArray, field);
        QFETCH(QList<ByteRange>, ranges);
        const std::optional<QList<ByteRange>> parsed = ByteRanges::parse(field, 10000);
        QCOMPARE(parsed.value_or(QList<ByteRange>()), ranges);
    }
};

QTEST_GUILESS_MAIN(HttpRequestParserTest)
#include "HttpRequestParser_test.moc"
