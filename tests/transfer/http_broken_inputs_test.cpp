// The folders of broken HTTP inputs (tests/data/http-broken, range-broken, multipart-broken),
// the same inputs the fuzz targets start from: each ends in the outcome its name gives.

#include "support/TestEnvironment.h"

#include "transfer/ByteRanges.h"
#include "transfer/HttpRequestParser.h"
#include "transfer/MultipartParser.h"

#include <QDir>
#include <QFile>
#include <QTest>

namespace {

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void addFolderRows(const QString &folder, const QString &pattern, int atLeast)
{
    QTest::addColumn<QString>("path");
    const QDir dir(TestEnvironment::dataPath(folder));
    const QStringList names = dir.entryList({pattern}, QDir::Files, QDir::Name);
    QVERIFY(names.size() >= atLeast);
    for (const QString &name : names)
        QTest::newRow(qPrintable(name)) << dir.filePath(name);
}

class NullSink : public MultipartParser::Sink {
public:
    void field(const QString &, const QByteArray &) override {}
    bool fileBegins(const QString &, const QString &) override { return true; }
    void fileData(QByteArrayView) override {}
    void fileEnds() override {}
};

}

class HttpBrokenInputsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void requestHeads_data() { addFolderRows(QStringLiteral("http-broken"), QStringLiteral("*.request"), 15); }

    void requestHeads()
    {
        QFETCH(QString, path);
        using HttpRequestParser::Outcome;
        const QString name = QFileInfo(path).fileName();
        const QMap<QString, Outcome> byPrefix{{QStringLiteral("malformed"), Outcome::Malformed},
                                              {QStringLiteral("toolong"), Outcome::LineTooLong},
                                              {QStringLiteral("toomany"), Outcome::TooManyLines},
                                              {QStringLiteral("incomplete"), Outcome::Incomplete},
                                              {QStringLiteral("complete"), Outcome::Complete}};
        const QString prefix = name.section(QLatin1Char('-'), 0, 0);
        QVERIFY(byPrefix.contains(prefix));
        const HttpRequestParser::Parsed parsed = HttpRequestParser::parse(contents(path));
        QCOMPARE(parsed.outcome, byPrefix.value(prefix));
        if (name.contains(QLatin1String("length"))) {
            quint64 length = 0;
            QCOMPARE(HttpRequestParser::contentLength(parsed.head, &length), HttpRequestParser::BodyLength::Invalid);
        }
    }

    void rangeFields_data() { addFolderRows(QStringLiteral("range-broken"), QStringLiteral("*.range"), 10); }

    void rangeFields()
    {
        QFETCH(QString, path);
        const std::optional<QList<ByteRange>> ranges = ByteRanges::parse(contents(path), 10000);
        QCOMPARE(ranges.has_value(), QFileInfo(path).fileName().startsWith(QLatin1String("accepted-")));
        for (const ByteRange &range : ranges.value_or(QList<ByteRange>())) {
            QVERIFY(range.length > 0);
            QVERIFY(range.last() < 10000);
        }
    }

    // Any piece size reaches the same end, and nothing is reported after a bad body.
    void multipartBodies_data() { addFolderRows(QStringLiteral("multipart-broken"), QStringLiteral("*.multipart"), 15); }

    void multipartBodies()
    {
        QFETCH(QString, path);
        const QByteArray body = contents(path);
        MultipartParser whole;
        NullSink sink;
        whole.feed(body, sink);
        MultipartParser bytewise;
        for (char c : body)
            bytewise.feed(QByteArrayView(&c, 1), sink);
        QCOMPARE(bytewise.state(), whole.state());
    }
};

QTEST_GUILESS_MAIN(HttpBrokenInputsTest)
#include "http_broken_inputs_test.moc"
