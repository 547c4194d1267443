// The multipart body parser, fed whole and in pieces of every size.

#include "transfer/MultipartParser.h"

#include <QTest>

namespace {

// Everything the parser reported, as one text, so two runs can be compared whole.
class RecordingSink : public MultipartParser::Sink {
public:
    QStringList events;
    QByteArray file;
    void field(const QString &name, const QByteArray &value) override { events << name + QLatin1Char('=') + QString::fromUtf8(value); }
    bool fileBegins(const QString &name, const QString &fileName) override
    {
        events << QStringLiteral("file %1 \"%2\"").arg(name, fileName);
        return true;
    }
    void fileData(QByteArrayView bytes) override { file.append(bytes); }
    void fileEnds() override { events << QStringLiteral("end %1").arg(file.size()); }
};

// The body the program's own upload client sends for a.vcf holding "abc".
const QByteArray kOwnClientBody = "--0xVelkorQuintar\r\n"
                                  "Content-Disposition: form-data; name=\"currentpath\";\r\n\r\n"
                                  "./\r\n"
                                  "--0xVelkorQuintar\r\n"
                                  "Content-Disposition: form-data; name=\"file\"; filename=\"a.vcf\"\r\n\r\n"
                                  "abc"
                                  "\r\n--0xVelkorQuintar--\r\n";

QByteArray browserBody(const QByteArray &fileName, const QByteArray &content)
{
    return "------WebKitFormBoundaryx7\r\n"
           "Content-Disposition: form-data; name=\"currentpath\"\r\n\r\n"
           "/sub\r\n"
           "------WebKitFormBoundaryx7\r\n"
           "Content-Disposition: form-data; name=\"file\"; filename=\"" + fileName + "\"\r\n"
           "Content-Type: text/vcard\r\n\r\n"
           + content + "\r\n------WebKitFormBoundaryx7--\r\n";
}

MultipartParser::State feedInPieces(const QByteArray &body, qsizetype pieceSize, RecordingSink &sink)
{
    MultipartParser parser;
    for (qsizetype at = 0; at < body.size(); at += pieceSize)
        parser.feed(QByteArrayView(body).sliced(at, std::min(pieceSize, body.size() - at)), sink);
    return parser.state();
}

}

Q_DECLARE_METATYPE(MultipartParser::State)

class MultipartParserTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void ownClientBody()
    {
        QCOMPARE(kOwnClientBody.size(), 188);
        RecordingSink sink;
        QCOMPARE(feedInPieces(kOwnClientBody, kOwnClientBody.size(), sink), MultipartParser::State::Complete);
        QCOMPARE(sink.events, (QStringList{QStringLiteral("currentpath=./"), QStringLiteral("file file \"a.vcf\""), QStringLiteral("end 3")}));
        QCOMPARE(sink.file, QByteArray("abc"));
    }

    // A file whose bytes look like the start of a delimiter, split at every place.
    void anyPieceSizeGivesTheSameResult_data()
    {
        QTest::addColumn<qsizetype>("pieceSize");
        for (qsizetype size : {1, 2, 3, 7, 19, 31, 64, 4096})
            QTest::newRow(qPrintable(QString::number(size))) << size;
    }

    void anyPieceSizeGivesTheSameResult()
    {
        QFETCH(qsizetype, pieceSize);
        const QByteArray content = "line\r\n--\r\n------WebKitFormBoundaryx\r\n\r\n\r\nend\r";
        const QByteArray body = browserBody("C:\\Users\\me\\x.vcf", content);
        RecordingSink whole;
        RecordingSink pieces;
        QCOMPARE(feedInPieces(body, body.size(), whole), MultipartParser::State::Complete);
        QCOMPARE(feedInPieces(body, pieceSize, pieces), MultipartParser::State::Complete);
        QCOMPARE(pieces.events, whole.events);
        QCOMPARE(pieces.file, content);
        QCOMPARE(whole.events.at(1), QStringLiteral("file file \"C:\\Users\\me\\x.vcf\""));
    }

    void states_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<MultipartParser::State>("state");
        using S = MultipartParser::State;
        const QByteArray whole = browserBody("x.vcf", "abc");
        QTest::newRow("complete") << whole << S::Complete;
        QTest::newRow("no closing delimiter") << whole.left(whole.indexOf("\r\n------WebKitFormBoundaryx7--")) << S::Incomplete;
        QTest::newRow("cut in the headers") << whole.left(whole.indexOf("Content-Type")) << S::Incomplete;
        QTest::newRow("empty") << QByteArray() << S::Incomplete;
        QTest::newRow("first line no delimiter") << QByteArray("hello\r\n") << S::Bad;
        QTest::newRow("delimiter too long") << "--" + QByteArray(300, 'b') + "\r\n" << S::Bad;
        QTest::newRow("delimiter line without end") << QByteArray(400, '-') << S::Bad;
        // Blanks count towards the limit: in pieces, the line is refused before its end arrives.
        QTest::newRow("delimiter line padded past the limit") << "--b" + QByteArray(300, '\t') + "\r\n" << S::Bad;
        QTest::newRow("junk after delimiter") << QByteArray("--b\r\n\r\nv\r\n--bjunk\r\n") << S::Bad;
        QTest::newRow("header line too long") << "--b\r\n" + QByteArray(9000, 'h') << S::Bad;
        QByteArray manyHeaders = "--b\r\n";
        for (int i = 0; i < 40; ++i)
            manyHeaders += "X-A: b\r\n";
        QTest::newRow("too many header lines") << manyHeaders << S::Bad;
        QTest::newRow("field value too long")
            << "--b\r\nContent-Disposition: form-data; name=\"currentpath\"\r\n\r\n" + QByteArray(9000, 'v') + "\r\n--b--" << S::Bad;
        QTest::newRow("empty lines before the delimiter") << "\r\n\r\n" + whole << S::Complete;
        QTest::newRow("blanks after a delimiter") << QByteArray("--b \r\nContent-Disposition: form-data; name=\"a\"\r\n\r\nv\r\n--b  \r\n\r\n\r\n--b--") << S::Complete;
    }

    void states()
    {
        QFETCH(QByteArray, body);
        QFETCH(MultipartParser::State, state);
        RecordingSink sink;
        QCOMPARE(feedInPieces(body, std::max<qsizetype>(body.size(), 1), sink), state);
    }

    void dispositionParameters_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("event");
        QTest::newRow("plain") << QByteArray("form-data; name=\"f\"; filename=\"a.vcf\"") << QStringLiteral("file f \"a.vcf\"");
        QTest::newRow("semicolon in quotes") << QByteArray("form-data; name=\"f\"; filename=\"a;b.vcf\"") << QStringLiteral("file f \"a;b.vcf\"");
        QTest::newRow("unquoted") << QByteArray("form-data; name=f; filename=a.vcf") << QStringLiteral("file f \"a.vcf\"");
        QTest::newRow("no closing quote") << QByteArray("form-data; name=\"f\"; filename=\"a.vcf") << QStringLiteral("file f \"a.vcf\"");
        QTest::newRow("utf-8") << QByteArray("form-data; name=\"f\"; filename=\"\xc3\xa1.vcf\"") << QStringLiteral("file f \"\u00e1.vcf\"");
        QTest::newRow("latin-1") << QByteArray("form-data; name=\"f\"; filename=\"\xe1.vcf\"") << QStringLiteral("file f \"\u00e1.vcf\"");
        QTest::newRow("text field") << QByteArray("form-data; name=\"thefolder\"") << QStringLiteral("thefolder=v");
    }

    void dispositionParameters()
    {
        QFETCH(QByteArray, line);
        QFETCH(QString, event);
        RecordingSink sink;
        const QByteArray body = "--b\r\nContent-Disposition: " + line + "\r\n\r\nv\r\n--b--\r\n";
        QCOMPARE(feedInPieces(body, body.size(), sink), MultipartParser::State::Complete);
        QCOMPARE(sink.events.first(), event);
    }
};

QTEST_GUILESS_MAIN(MultipartParserTest)
#include "MultipartParser_test.moc"
