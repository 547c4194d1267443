#include "platform/KeyedArchiver.h"
#include "platform/KeyedDataListReader.h"
#include "platform/KeyedDictionary.h"
#include "platform/KeyedUnarchiver.h"
#include "support/TestEnvironment.h"

#include <QBuffer>
#include <QDateTime>
#include <QFile>
#include <QPoint>
#include <QTest>

namespace {

KeyedDictionary dictionary(std::initializer_list<KeyedDictionary::Entry> entries)
{
    KeyedDictionary result;
    for (const auto &entry : entries)
        result.insert(entry.first, entry.second);
    return result;
}

QByteArray readData(const QString &name)
{
    QFile file(TestEnvironment::dataPath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A binary property list of `levels` arrays, each holding the next one.
QByteArray nestedArrays(int levels)
{
    QByteArray bytes("bplist00");
    QList<quint32> offsets;
    for (int i = 0; i < levels; ++i) {
        offsets.append(quint32(bytes.size()));
        if (i + 1 < levels) {
            bytes.append(char(0xA1));
            for (int shift = 16; shift >= 0; shift -= 8)
                bytes.append(char(((i + 1) >> shift) & 0xFF));
        } else {
            bytes.append(char(0xA0));
        }
    }
    const quint64 table = quint64(bytes.size());
    for (quint32 offset : offsets) {
        for (int shift = 24; shift >= 0; shift -= 8)
            bytes.append(char((offset >> shift) & 0xFF));
    }
    bytes.append(QByteArray(6, '\0'));
    bytes.append(char(4)); // offset size
    bytes.append(char(3)); // reference size
    for (quint64 value : {quint64(levels), quint64(0), table}) {
        for (int shift = 56; shift >= 0; shift -= 8)
            bytes.append(char((value >> shift) & 0xFF));
    }
    return bytes;
}

} // namespace

class KeyedArchiveTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void roundTripKeepsValuesAndOrder_data()
    {
        QTest::addColumn<QVariant>("value");
        const QDateTime noon(QDate(1999, 12, 31), QTime(12, 0), Qt::UTC);
        QTest::newRow("text") << QVariant(QStringLiteral("Zoë \"Ødegaard\" <x> 😀"));
        QTest::newRow("empty text") << QVariant(QStringLiteral(""));
        QTest::newRow("data") << QVariant(QByteArray("\x00\x01\xff png", 8));
        QTest::newRow("empty data") << QVariant(QByteArray(""));
        QTest::newRow("integer") << QVariant(qint64(99999));
        QTest::newRow("negative integer") << QVariant(qint64(-42));
        QTest::newRow("real") << QVariant(2.5);
        QTest::newRow("bool") << QVariant(true);
        QTest::newRow("date before 2001") << QVariant(noon);
        QTest::newRow("date with milliseconds") << QVariant(QDateTime::fromMSecsSinceEpoch(1700000000123, Qt::UTC));
        QTest::newRow("list with nil and repeats")
            << QVariant(QVariantList{QStringLiteral("a"), QVariant(), QStringLiteral("a"), qint64(1), qint64(1)});
        QTest::newRow("dictionary with integer and text keys in their order") << QVariant::fromValue(dictionary({
            {qint64(99998), QVariantList{QStringLiteral("Family")}},
            {QStringLiteral("002Boat"), QStringLiteral("912")},
            {qint64(0), QStringLiteral("Anna")},
            {qint64(17), noon},
            {qint64(5), QVariant::fromValue(dictionary({{QStringLiteral("000"), QVariant::fromValue(dictionary({{QStringLiteral("City"), QStringLiteral("Braga")}}))}}))},
        }));
    }

    void roundTripKeepsValuesAndOrder()
    {
        QFETCH(QVariant, value);
        Result<QByteArray> data = KeyedArchiver::archivedData(value);
        QVERIFY2(data.ok(), qPrintable(data.ok() ? QString() : data.error()));
        Result<QVariant> back = KeyedUnarchiver::unarchive(*data);
        QVERIFY2(back.ok(), qPrintable(back.ok() ? QString() : back.error()));
        QCOMPARE(back->metaType(), value.metaType());
        QCOMPARE(*back, value);
    }

    void dataListWrittenAsItGrowsIsTheWholeArchive()
    {
        // Counts either side of the widths a list changes at: one-byte UIDs and references
        // (under 256 objects), two-byte offsets (under 64 KiB).
        for (int count : {0, 1, 115, 116, 300, 2000}) {
            QVariantList items;
            QBuffer streamed;
            streamed.open(QIODevice::WriteOnly);
            KeyedArchiver::DataListWriter writer(streamed);
            for (int i = 0; i < count; ++i) {
                const QByteArray item = QByteArray::number(i).repeated(1 + i % 40);
                items.append(item);
                QVERIFY(writer.append(item));
            }
            QVERIFY(writer.finish());
            QCOMPARE(streamed.data(), *KeyedArchiver::archivedData(items));
            QCOMPARE(KeyedUnarchiver::unarchive(streamed.data())->toList(), items);
        }
        // A device that stops taking bytes (a full disk) fails the writer for good.
        QByteArray room;
        QBuffer small(&room);
        small.open(QIODevice::WriteOnly);
        KeyedArchiver::DataListWriter writer(small);
        QVERIFY(writer.append(QByteArray("first")));
        small.close();
        QVERIFY(!writer.append(QByteArray("second")));
        QVERIFY(!writer.finish());
    }

    void dataListIsReadItemByItemFromItsFile()
    {
        TestEnvironment env;
        auto write = [&env](const QString &name, const QByteArray &bytes) {
            const QString path = env.path(name);
            QFile file(path);
            return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() ? path : QString();
        };
        // Long enough for its two halves to be checked at once.
        QVariantList items;
        for (int i = 0; i < 5000; ++i)
            items.append(QByteArray::number(i).repeated(1 + i % 50));
        const QByteArray archive = *KeyedArchiver::archivedData(items);
        std::unique_ptr<KeyedDataListReader> list = KeyedDataListReader::open(write(QStringLiteral("list.vnbin"), archive));
        QVERIFY(list);
        QCOMPARE(list->count(), items.size());
        KeyedDataListReader::Window window;
        for (qsizetype i = 0; i < items.size(); ++i)
            QCOMPARE(list->item(i, window), std::optional<QByteArray>(items[i].toByteArray()));
        QVERIFY(!list->item(items.size(), window));
        QVERIFY(KeyedDataListReader::open(write(QStringLiteral("empty.vnbin"), *KeyedArchiver::archivedData(QVariantList()))));

        // Other archives are left to the general reader: an item that is no data (in either half
        // of a long list), another root.
        QVariantList lastIsText = items;
        lastIsText.last() = QStringLiteral("text");
        QVariantList firstIsText = items;
        firstIsText.first() = QStringLiteral("text");
        for (const QVariant &other : {QVariant(QVariantList{QByteArray("data"), QStringLiteral("text")}), QVariant(lastIsText),
                                      QVariant(firstIsText), QVariant(QStringList{QStringLiteral("a")}), QVariant(QByteArray("data"))})
            QVERIFY(!KeyedDataListReader::open(write(QStringLiteral("other.vnbin"), *KeyedArchiver::archivedData(other))));
        QVERIFY(!KeyedDataListReader::open(env.path(QStringLiteral("missing.vnbin"))));

        // Damaged files are refused or read within their bounds, never past them.
        const QByteArray small = *KeyedArchiver::archivedData(QVariantList{QByteArray("one"), QByteArray("two")});
        QList<QByteArray> damaged;
        for (qsizetype cut = 0; cut < small.size(); ++cut)
            damaged.append(small.left(cut));
        for (qsizetype at = 0; at < small.size(); ++at) {
            for (char value : {'\x00', '\x0f', '\x7f', '\xff'}) {
                QByteArray changed = small;
                changed[at] = value;
                damaged.append(changed);
            }
        }
        for (const QByteArray &bytes : std::as_const(damaged)) {
            std::unique_ptr<KeyedDataListReader> read = KeyedDataListReader::open(write(QStringLiteral("damaged.vnbin"), bytes));
            KeyedDataListReader::Window readWindow;
            for (qsizetype i = 0; read && i < read->count(); ++i) {
                const std::optional<QByteArray> item = read->item(i, readWindow);
                QVERIFY(!item || item->size() < bytes.size());
            }
        }
    }

    void plainMapsComeBackAsDictionaries()
    {
        const QVariantMap map{{QStringLiteral("Street"), QStringLiteral("Rua 1")}, {QStringLiteral("ZIP"), QStringLiteral("1000")}};
        Result<QVariant> back = KeyedUnarchiver::unarchive(*KeyedArchiver::archivedData(map));
        QVERIFY(back.ok() && isKeyedDictionary(*back));
        QCOMPARE(back->value<KeyedDictionary>().toVariantMap().value(), map);
        QVERIFY(!dictionary({{qint64(1), QStringLiteral("x")}}).toVariantMap().has_value());
    }

    void archiverRefusesWhatItCannotWrite()
    {
        QVERIFY(!KeyedArchiver::archivedData(QPoint(1, 2)).ok());
        QVERIFY(!KeyedArchiver::archivedData(QVariantList{QDateTime()}).ok());
        QVERIFY(!KeyedArchiver::archivedData(QVariant::fromValue(dictionary({{QPoint(), QString()}}))).ok());
        QVariant deep = QVariantList{};
        for (int i = 0; i < 70; ++i)
            deep = QVariantList{deep};
        QVERIFY(!KeyedArchiver::archivedData(deep).ok());
    }

    void brokenArchivesAreRefusedWithAReason_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("reason");
        QTest::newRow("cycle") << "cycle.vnbin" << "reference cycle";
        QTest::newRow("indirect cycle") << "cycle-indirect.vnbin" << "reference cycle";
        QTest::newRow("reference out of range") << "member-out-of-range.vnbin" << "out of range";
        QTest::newRow("UIDs nested 200 deep") << "deep-nesting.vnbin" << "nested too deeply";
        QTest::newRow("arrays nested 1000 deep") << "bplist-deep-nesting.vnbin" << "nested too deeply";
        QTest::newRow("array count 2^31") << "huge-count.vnbin" << "count larger than the data";
        QTest::newRow("dictionary count 2^62") << "huge-count-dictionary.vnbin" << "count larger than the data";
        QTest::newRow("object containing itself") << "bplist-self-reference.vnbin" << "contains itself";
        QTest::newRow("truncated") << "truncated.vnbin" << "damaged binary property list";
        QTest::newRow("keys without values") << "keys-without-values.vnbin" << "do not pair up";
        QTest::newRow("unknown class") << "unknown-class.vnbin" << "unknown class";
        QTest::newRow("date NaN") << "bad-date.vnbin" << "date out of range";
        QTest::newRow("XML") << "xml.vnbin" << "not a binary property list";
    }

    void brokenArchivesAreRefusedWithAReason()
    {
        QFETCH(QString, file);
        QFETCH(QString, reason);
        const QByteArray bytes = readData(QStringLiteral("backup-broken/") + file);
        QVERIFY(!bytes.isEmpty());
        Result<QVariant> value = KeyedUnarchiver::unarchive(bytes);
        QVERIFY(!value.ok());
        QVERIFY2(value.error().contains(reason), qPrintable(value.error()));
    }

    void veryDeepPropertyListIsRefusedNotACrash()
    {
        // libplist recurses per level; this depth would exhaust the stack without the check.
        Result<QVariant> value = KeyedUnarchiver::unarchive(nestedArrays(300000));
        QVERIFY(!value.ok());
        QVERIFY(value.error().contains(QStringLiteral("nested too deeply")));
    }

    void archivesOfOtherWritersRead()
    {
        // Written by Python's plistlib: mutable class names, NS.data and plain data mixed.
        Result<QVariant> list = KeyedUnarchiver::unarchive(readData(QStringLiteral("backup/foreign.vnbin")));
        QVERIFY(list.ok());
        QCOMPARE(list->toList().size(), 2);
        Result<QVariant> person = KeyedUnarchiver::unarchive(list->toList().first().toByteArray());
        QVERIFY(person.ok() && isKeyedDictionary(*person));
        const KeyedDictionary fields = person->value<KeyedDictionary>();
        QCOMPARE(fields.value(qint64(0)).toString(), QStringLiteral("Inês"));
        QCOMPARE(fields.value(qint64(99999)).toByteArray(), QByteArray("\x89PNG\r\n\x1a\nfake image"));
        QCOMPARE(fields.value(qint64(17)).toDateTime(), QDateTime(QDate(2000, 1, 1), QTime(12, 0), Qt::UTC));
        QCOMPARE(fields.value(qint64(99998)).toStringList(), (QStringList{QStringLiteral("Family"), QStringLiteral("Work")}));
    }
};

QTEST_GUILESS_MAIN(KeyedArchiveTest)
#include "keyed_archive_test.moc"
