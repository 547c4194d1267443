#include "platform/BinaryPlistReader.h"

#include <QTest>

#include <cstring>

namespace {

QByteArray bigEndian(quint64 value, int width)
{
    QByteArray bytes;
    for (int shift = (width - 1) * 8; shift >= 0; shift -= 8)
        bytes.append(char((value >> shift) & 0xFF));
    return bytes;
}

// A property list of the given encoded objects (references one byte wide), `top` on top.
QByteArray plistOf(const QList<QByteArray> &objects, quint64 top = 0)
{
    QByteArray bytes("bplist00");
    QByteArray table;
    for (const QByteArray &object : objects) {
        table += bigEndian(quint64(bytes.size()), 4);
        bytes += object;
    }
    const quint64 tableAt = quint64(bytes.size());
    bytes += table;
    bytes += QByteArray(6, '\0');
    bytes += char(4);
    bytes += char(1);
    bytes += bigEndian(quint64(objects.size()), 8) + bigEndian(top, 8) + bigEndian(tableAt, 8);
    return bytes;
}

BinaryPlistReader::Object objectOf(const BinaryPlistReader &reader, quint64 index)
{
    Result<BinaryPlistReader::Object> object = reader.object(index);
    if (!object)
        qFatal("object %llu: %s", index, qPrintable(object.error()));
    return *object;
}

} // namespace

class BinaryPlistReaderTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void scalarsOfEveryWidthAndTextsOfBothEncodings()
    {
        using Kind = BinaryPlistReader::Kind;
        float single = 1.5f;
        quint32 singleBits = 0;
        std::memcpy(&singleBits, &single, sizeof singleBits);
        double twice = -2.25;
        quint64 doubleBits = 0;
        std::memcpy(&doubleBits, &twice, sizeof doubleBits);
        const QList<QByteArray> objects{
            QByteArray("\x10\x7F", 2),
            "\x11" + bigEndian(0x1234, 2),
            "\x13" + bigEndian(quint64(-5), 8),
            "\x14" + bigEndian(1, 8) + bigEndian(42, 8), // 16 bytes: the low 64 bits count
            "\x22" + bigEndian(singleBits, 4),
            "\x23" + bigEndian(doubleBits, 8),
            QByteArray("\x09", 1),
            QByteArray("\x08", 1),
            QByteArray("\x00", 1),
            QByteArray("\x43\x00\x01\xFF", 4),
            "\x53" "h\xC3\xA9",                             // UTF-8 in an ASCII text, as other writers leave it
            "\x63" + bigEndian(u'Z', 2) + bigEndian(u'o', 2) + bigEndian(0xEB, 2),
            "\x81" + bigEndian(300, 2),
            "\x5F\x10\x10" + QByteArray(16, 'x'),             // a count that follows the marker
        };
        BinaryPlistReader reader;
        QVERIFY(reader.open(plistOf(objects)).ok());
        QCOMPARE(reader.objectCount(), quint64(objects.size()));

        const quint64 integers[] = {0x7F, 0x1234, quint64(-5), 42};
        for (int i = 0; i < 4; ++i) {
            const BinaryPlistReader::Object integer = objectOf(reader, quint64(i));
            QCOMPARE(integer.kind, Kind::Integer);
            QCOMPARE(reader.unsignedValue(integer), integers[i]);
        }
        QCOMPARE(reader.real(objectOf(reader, 4)), 1.5);
        QCOMPARE(reader.real(objectOf(reader, 5)), -2.25);
        QVERIFY(objectOf(reader, 6).kind == Kind::Bool && objectOf(reader, 6).flag);
        QVERIFY(objectOf(reader, 7).kind == Kind::Bool && !objectOf(reader, 7).flag);
        QCOMPARE(objectOf(reader, 8).kind, Kind::Null);
        QCOMPARE(reader.data(objectOf(reader, 9)), QByteArray("\x00\x01\xFF", 3));
        QCOMPARE(reader.text(objectOf(reader, 10)), QStringLiteral("hé"));
        QCOMPARE(reader.text(objectOf(reader, 11)), QStringLiteral("Zoë"));
        QCOMPARE(objectOf(reader, 12).kind, Kind::Uid);
        QCOMPARE(reader.unsignedValue(objectOf(reader, 12)), quint64(300));
        QCOMPARE(reader.text(objectOf(reader, 13)), QString(16, u'x'));
    }

    void dictionaryKeysInEitherEncodingAndListsOfBothKinds()
    {
        using Kind = BinaryPlistReader::Kind;
        const QList<QByteArray> objects{
            QByteArray("\xD2\x01\x02\x03\x04", 5),           // {"a": [..], "b": set}
            "\x51" "a",
            "\x61" + bigEndian(u'b', 2),
            QByteArray("\xA2\x01\x02", 3),
            QByteArray("\xC1\x01", 2),
        };
        BinaryPlistReader reader;
        QVERIFY(reader.open(plistOf(objects)).ok());
        const BinaryPlistReader::Object top = objectOf(reader, reader.topObject());
        QCOMPARE(top.kind, Kind::Dictionary);
        QCOMPARE(reader.valueOf(top, "a"), std::optional<quint64>(3));
        QCOMPARE(reader.valueOf(top, "b"), std::optional<quint64>(4));
        QCOMPARE(reader.valueOf(top, "c"), std::nullopt);
        const BinaryPlistReader::Object array = objectOf(reader, 3);
        QVERIFY(array.kind == Kind::Array && array.count == 2);
        QCOMPARE(reader.reference(array, 1), quint64(2));
        QVERIFY(reader.textEquals(objectOf(reader, 2), "b"));
        QVERIFY(!reader.textEquals(objectOf(reader, 2), "a"));
        QCOMPARE(objectOf(reader, 4).kind, Kind::Set);
    }

    void damagedObjectsAreErrorsNotReadsOutsideTheData_data()
    {
        QTest::addColumn<QByteArray>("object");
        QTest::addColumn<QString>("reason");
        QTest::newRow("text longer than the data") << QByteArray("\x5E" "abc") << "larger than the data";
        QTest::newRow("count marker not an integer") << QByteArray("\x5F\x41" "a") << "unreadable count";
        QTest::newRow("count past the end") << QByteArray("\x5F\x13\x00", 3) << "count outside the data";
        QTest::newRow("array longer than the data") << QByteArray("\xAF\x13\x7F\xFF\xFF\xFF\xFF\xFF\xFF\xFF", 10)
                                                   << "container count larger than the data";
        QTest::newRow("integer cut short") << QByteArray("\x13\x01\x02", 3) << "number outside the data";
        QTest::newRow("integer of 32 bytes") << QByteArray("\x15", 1) + QByteArray(32, '\0') << "impossible size";
    }

    void damagedObjectsAreErrorsNotReadsOutsideTheData()
    {
        QFETCH(QByteArray, object);
        QFETCH(QString, reason);
        BinaryPlistReader reader;
        QVERIFY(reader.open(plistOf({object})).ok());
        Result<BinaryPlistReader::Object> read = reader.object(0);
        QVERIFY(!read.ok());
        QVERIFY2(read.error().contains(reason), qPrintable(read.error()));
    }

    void damagedTrailersAreRefused()
    {
        QByteArray bytes = plistOf({QByteArray("\x09", 1)});
        BinaryPlistReader reader;
        QVERIFY(!reader.open(bytes.left(20)).ok());
        QByteArray noTop = bytes;
        noTop[noTop.size() - 9] = 5; // the top object beyond the count
        QVERIFY(!reader.open(noTop).ok());
        QByteArray wideTable = bytes;
        wideTable[wideTable.size() - 17] = 100; // a hundred objects in a table of one
        QVERIFY(!reader.open(wideTable).ok());
    }
};

QTEST_GUILESS_MAIN(BinaryPlistReaderTest)
#include "binary_plist_reader_test.moc"
