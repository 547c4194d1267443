#include "formats/common/ExportOutput.h"
#include "formats/csv/CSVParser.h"
#include "formats/csv/CSVWriter.h"

#include <QBuffer>
#include <QTest>

#include <random>

namespace {

QList<QMap<QString, QString>> rows(const QString &text, bool hasHeader = true)
{
    QList<QMap<QString, QString>> maps;
    CSVParser parser(text, QStringLiteral(","), hasHeader);
    for (const CSVRecord &record : parser.arrayOfParsedRows())
        maps.append(record.toMap());
    return maps;
}

using Row = QMap<QString, QString>;

} // namespace

class CSVParserTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void header()
    {
        CSVParser parser(QStringLiteral(" First , Last,Email\nA,B,C\n"), QStringLiteral(","), true);
        QCOMPARE(*parser.parseHeader(), (QStringList{QStringLiteral("0000  First "), QStringLiteral("0001  Last"),
                                                     QStringLiteral("0002 Email")}));
        // Reading the header alone does not move the full parse.
        QCOMPARE(parser.arrayOfParsedRows().size(), 1);
    }

    void fields_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<Row>>("expected");
        auto row = [](std::initializer_list<std::pair<const char *, const char *>> pairs) {
            Row r;
            for (const auto &[k, v] : pairs)
                r.insert(QString::fromUtf8(k), QString::fromUtf8(v));
            return r;
        };
        QTest::newRow("quoted separator") << QStringLiteral("a,b\n\"x,y\",z\n")
                                          << QList<Row>{row({{"0000 a", "x,y"}, {"0001 b", "z"}})};
        QTest::newRow("doubled quotes") << QStringLiteral("a\n\"say \"\"hi\"\"\"\n")
                                        << QList<Row>{row({{"0000 a", "say \"hi\""}})};
        QTest::newRow("quoted line breaks kept") << QStringLiteral("a,b\n\"1\r\n2\",3\n")
                                                 << QList<Row>{row({{"0000 a", "1\r\n2"}, {"0001 b", "3"}})};
        QTest::newRow("empty fields") << QStringLiteral("a,b,c\n,,\nx,,\n")
                                      << QList<Row>{row({{"0000 a", ""}, {"0001 b", ""}, {"0002 c", ""}}),
                                                    row({{"0000 a", "x"}, {"0001 b", ""}, {"0002 c", ""}})};
        QTest::newRow("blank lines and CRLF") << QStringLiteral("a\r\n\r\n\r\n1\r\n\n2")
                                              << QList<Row>{row({{"0000 a", "1"}}), row({{"0000 a", "2"}})};
        QTest::newRow("short row has no entry") << QStringLiteral("a,b\n1\n")
                                                << QList<Row>{row({{"0000 a", "1"}})};
        QTest::newRow("extra fields named by position")
            << QStringLiteral("a,b,c\n1,2,3,4,5\n6\n")
            << QList<Row>{row({{"0000 a", "1"}, {"0001 b", "2"}, {"0002 c", "3"}, {"FIELD_4", "4"}, {"FIELD_5", "5"}}),
                          row({{"0000 a", "6"}})};
        // The row is cut at the quote (and is then too short to import); later rows are not read.
        QTest::newRow("stray quote stops the parse")
            << QStringLiteral("a,b\n1,2\nx\"y,3\n4,5\n")
            << QList<Row>{row({{"0000 a", "1"}, {"0001 b", "2"}}), row({{"0000 a", "x"}})};
        QTest::newRow("unterminated quote at the end")
            << QStringLiteral("a,b\n1,2\n3,\"open") << QList<Row>{row({{"0000 a", "1"}, {"0001 b", "2"}}),
                                                                  row({{"0000 a", "3"}, {"0001 b", ""}})};
        QTest::newRow("header without line break") << QStringLiteral("a,b") << QList<Row>{};
        QTest::newRow("other newline characters") << QStringLiteral("a\u2028x\u2029y\x0b")
                                                  << QList<Row>{row({{"0000 a", "x"}}), row({{"0000 a", "y"}})};
    }
    void fields()
    {
        QFETCH(QString, text);
        QFETCH(QList<Row>, expected);
        QCOMPARE(rows(text), expected);
    }

    void withoutHeader()
    {
        CSVParser parser(QStringLiteral("1,2\n3\n"), QStringLiteral(","), false, {QStringLiteral("x")});
        QList<CSVRecord> records = parser.arrayOfParsedRows();
        QCOMPARE(records.size(), 2);
        QCOMPARE(records[0].toMap(), (Row{{QStringLiteral("x"), QStringLiteral("1")}, {QStringLiteral("FIELD_2"), QStringLiteral("2")}}));
        // A text that begins with a line break has no records at all.
        QVERIFY(rows(QStringLiteral("\n1,2\n"), false).isEmpty());
    }

    // Whatever our writer quotes, the parser reads back as it was: quotes anywhere in a value,
    // several in a row, nothing but quotes, separators and line breaks.
    void writtenColumnsReadBackWhole()
    {
        const QStringList values{QStringLiteral("\"lead"), QStringLiteral("trail\""), QStringLiteral("a\"\"b"),
                                 QStringLiteral("\""), QStringLiteral("\"\"\""), QStringLiteral("x, \"y\"\nz"),
                                 QStringLiteral("plain"), QString()};
        QBuffer device;
        device.open(QIODevice::WriteOnly);
        {
            ExportOutput out(device);
            CSVWriter row(out);
            row.firstColumn(values.first().toUtf8());
            for (qsizetype i = 1; i < values.size(); ++i)
                row.column(values[i].toUtf8());
            row.endRow();
        }
        CSVParser parser(QString::fromUtf8(device.data()), QStringLiteral(","), false);
        const QList<CSVRecord> records = parser.arrayOfParsedRows();
        QCOMPARE(records.size(), 1);
        QCOMPARE(records[0].fields, values);
    }

    void longSeparator()
    {
        CSVParser parser(QStringLiteral("a;;b\nx;y;;z\n"), QStringLiteral(";;"), true);
        QList<CSVRecord> records = parser.arrayOfParsedRows();
        QCOMPARE(records.size(), 1);
        QCOMPARE(records[0].fields, (QStringList{QStringLiteral("x;y"), QStringLiteral("z")}));
        QVERIFY(!CSVParser::isValidSeparator(QStringLiteral("\"")));
        QVERIFY(!CSVParser::isValidSeparator(QString()));
        QVERIFY(!CSVParser::isValidSeparator(QStringLiteral(",\n")));
    }

    // Cut into pieces of any size, a text gives the records the whole parse gives: texts with
    // quoted line breaks and separators, stray and unclosed quotes, blank lines, one- and
    // two-character separators, with and without a header, and random mixes of them.
    void piecesGiveTheRecordsOfTheWholeParse()
    {
        QStringList texts{QStringLiteral("a,b\n\"x,y\",z\n\"1\r\n2\",3\n\n\n4,\"\"\"q\"\"\"\n"),
                          QStringLiteral("a,b\n1,2\nx\"y,3\n4,5\n"), QStringLiteral("a,b\n1,2\n3,\"open\n4,5\n"),
                          QStringLiteral("a,b\n\"1\"x\n2,3\n"), QStringLiteral("a\u2028x\u2029y\x0b"),
                          QStringLiteral("a,b,c\n1,2,3,4,5\n6\n"), QStringLiteral("a,b"), QStringLiteral("\n1,2\n")};
        // A quoted field closing at the end of a block of 64 characters, with a stray character
        // after it at the start of the next block: the whole parse ends there.
        texts.append(QStringLiteral("a\n\"") + QString(62, u'y') + QStringLiteral("\"x\n") + QStringLiteral("1,2\n").repeated(40));
        // Random texts over the characters the grammar turns on.
        const QString alphabet = QStringLiteral("ab,;\"\n\r\u2028");
        std::mt19937 random(20261210);
        auto pick = [&random](const QStringList &choices) { return choices.at(qsizetype(random() % choices.size())); };
        for (int i = 0; i < 300; ++i) {
            QString text;
            const int length = int(random() % 60);
            for (int c = 0; c < length; ++c)
                text += alphabet[int(random() % alphabet.size())];
            texts.append(text);
        }
        // Long texts of well-formed rows, some with one character of the alphabet put in at
        // random, which the scan of whole blocks must leave to the rules that read a field.
        const QStringList fields{QString(), QStringLiteral("ab"), QStringLiteral("\"a,b\""), QStringLiteral("\"a\"\"b\""),
                                 QStringLiteral("\"a\nb\r\n\""), QStringLiteral("\"\""), QStringLiteral("a b a b a b a b a b a b a b a b")};
        const QStringList breaks{QStringLiteral("\n"), QStringLiteral("\r\n"), QStringLiteral("\u2029"), QStringLiteral("\n\n")};
        for (int i = 0; i < 200; ++i) {
            for (const QString &separator : {QStringLiteral(","), QStringLiteral(";")}) {
                QString text;
                const int rows = 1 + int(random() % 40);
                for (int row = 0; row < rows; ++row) {
                    const int columns = 1 + int(random() % 8);
                    for (int column = 0; column < columns; ++column)
                        text += (column ? separator : QString()) + pick(fields);
                    text += pick(breaks);
                }
                if (i % 2)
                    text.insert(qsizetype(random() % (text.size() + 1)), alphabet[int(random() % alphabet.size())]);
                texts.append(text);
            }
        }
        auto fieldsOf = [](const QList<CSVRecord> &records) {
            QList<QMap<QString, QString>> maps;
            for (const CSVRecord &record : records)
                maps.append(record.toMap());
            return maps;
        };
        for (const QString &separator : {QStringLiteral(","), QStringLiteral(";"), QStringLiteral(";;")}) {
            for (const QString &text : std::as_const(texts)) {
                for (bool hasHeader : {true, false}) {
                    CSVParser whole(text, separator, hasHeader, {QStringLiteral("x")});
                    const QList<QMap<QString, QString>> expected = fieldsOf(whole.arrayOfParsedRows());
                    for (qsizetype aim : {1, 2, 5, 70, 150, 1000}) {
                        CSVParser cut(text, separator, hasHeader, {QStringLiteral("x")});
                        QList<CSVRecord> records;
                        for (QStringView piece; !(piece = cut.nextPiece(aim)).isEmpty();)
                            cut.parsePiece(piece, [&records](const CSVRecord &record) { records.append(record); });
                        if (fieldsOf(records) != expected)
                            QFAIL(qPrintable(QStringLiteral("%1 (separator %2, header %3, pieces of %4)")
                                                 .arg(text.toHtmlEscaped(), separator)
                                                 .arg(hasHeader)
                                                 .arg(aim)));
                    }
                }
            }
        }
    }

    void manyRowsDoNotGrowTheStack()
    {
        QString text = QStringLiteral("a,b\n");
        for (int i = 0; i < 200000; ++i)
            text += QStringLiteral("\"x\",y\n");
        int count = 0;
        CSVParser parser(text, QStringLiteral(","), true);
        parser.parseRowsForReceiver([&count](const CSVRecord &) { ++count; });
        QCOMPARE(count, 200000);
    }
};

QTEST_GUILESS_MAIN(CSVParserTest)
#include "csvparser_test.moc"
