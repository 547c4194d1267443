// The stored form of a record: values read back one at a time, one value replaced in place,
// and damaged bytes answering nothing rather than reading past their end.

#include "addressbook/ABMultiValue.h"
#include "addressbook/ABRecordCodec.h"

#include <QDateTime>
#include <QtEndian>
#include <QtTest>

class RecordCodecTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyValueReadsBackOnItsOwn();
    void withValuesReplaceAddAndRemoveProperties();
    void damagedBytesAnswerNothing();
    void entriesAreCountedAsTheyWouldBeRead();
    void entryTextsAreThoseOfTheMultiValue();
};

namespace {

QHash<ABPropertyID, QVariant> sampleValues()
{
    ABMultiValue phones(kABMultiStringPropertyType);
    phones.addValueAndLabel(QStringLiteral("+351 21 000 0000"), kABPersonPhoneMobileLabel);
    phones.addValueAndLabel(QStringLiteral("no label"), std::nullopt);
    ABMultiValue addresses(kABMultiDictionaryPropertyType);
    addresses.addValueAndLabel(QVariantMap{{QStringLiteral("City"), QStringLiteral("Lisboa")}}, QStringLiteral("home"));
    return {
        {kABPersonFirstNameProperty, QStringLiteral("Zoë")},
        {kABPersonKindProperty, qint64(1)},
        {kABPersonBirthdayProperty, QDateTime(QDate(1980, 2, 29), QTime(12, 0), Qt::UTC)},
        {kABPersonPhoneProperty, QVariant::fromValue(phones)},
        {kABPersonAddressProperty, QVariant::fromValue(addresses)},
    };
}

} // namespace

void RecordCodecTest::everyValueReadsBackOnItsOwn()
{
    QHash<ABPropertyID, QVariant> values = sampleValues();
    // Numbers the system does not use itself are kept and found too.
    values.insert(63, QStringLiteral("last low"));
    values.insert(64, QStringLiteral("first high"));
    values.insert(-5, qint64(-5));
    ABRecordCodec::Stored stored;
    stored.assign(ABRecordCodec::encode(values));
    for (int round = 0; round < 2; ++round) { // the second round reads from the places found
        for (auto it = values.begin(); it != values.end(); ++it) {
            QCOMPARE(stored.value(it.key()), it.value());
            QCOMPARE(stored.text(it.key()), it.value().toString());
        }
        QVERIFY(!stored.value(kABPersonNoteProperty).isValid());
        QVERIFY(stored.text(kABPersonNoteProperty).isNull());
    }
    // New bytes: no place of the old ones is used.
    values.remove(kABPersonFirstNameProperty);
    values.insert(kABPersonNoteProperty, QStringLiteral("a note that moves every later value"));
    stored.assign(ABRecordCodec::encode(values));
    for (auto it = values.begin(); it != values.end(); ++it)
        QCOMPARE(stored.value(it.key()), it.value());
    QVERIFY(!stored.value(kABPersonFirstNameProperty).isValid());

    // Bytes that hold a property twice (not written so, but possible in a damaged file) give
    // its first value, low and high numbers alike.
    for (ABPropertyID property : {kABPersonNoteProperty, 99}) {
        const QByteArray first = ABRecordCodec::encode({{property, QStringLiteral("first")}, {2, QStringLiteral("two")}});
        const QByteArray second = ABRecordCodec::encode({{property, QStringLiteral("second")}});
        QByteArray twice = first.left(1);
        const quint32 three = qToLittleEndian(quint32(3));
        twice.append(reinterpret_cast<const char *>(&three), sizeof three);
        twice += first.mid(5) + second.mid(5);
        stored.assign(twice);
        QCOMPARE(stored.value(property).toString(), QStringLiteral("first"));
        QCOMPARE(stored.value(2).toString(), QStringLiteral("two"));
    }
}

void RecordCodecTest::withValuesReplaceAddAndRemoveProperties()
{
    QHash<ABPropertyID, QVariant> values = sampleValues();
    const QByteArray bytes = ABRecordCodec::encode(values);
    const QDateTime now(QDate(2026, 12, 9), QTime(5, 0), Qt::UTC);

    QByteArray changed = ABRecordCodec::withValues(bytes, {{kABPersonModificationDateProperty, now}});
    changed = ABRecordCodec::withValues(changed, {{kABPersonFirstNameProperty, QStringLiteral("Ana")}});
    changed = ABRecordCodec::withValues(changed, {{kABPersonKindProperty, QVariant()}});
    values.insert(kABPersonModificationDateProperty, now);
    values.insert(kABPersonFirstNameProperty, QStringLiteral("Ana"));
    values.remove(kABPersonKindProperty);

    QHash<ABPropertyID, QVariant> decoded;
    QVERIFY(ABRecordCodec::decode(changed, decoded));
    QCOMPARE(decoded, values);
    // The same changes in one pass give the same record, byte for byte.
    QCOMPARE(ABRecordCodec::withValues(bytes, {{kABPersonModificationDateProperty, now},
                                              {kABPersonFirstNameProperty, QStringLiteral("Ana")},
                                              {kABPersonKindProperty, QVariant()}}),
             changed);
    QVERIFY(ABRecordCodec::withValues(QByteArray("not a record"), {{kABPersonNoteProperty, QStringLiteral("x")}}).isEmpty());
}

void RecordCodecTest::damagedBytesAnswerNothing()
{
    const QByteArray bytes = ABRecordCodec::encode(sampleValues());
    for (qsizetype cut = 0; cut < bytes.size(); ++cut) {
        const QByteArray truncated = bytes.left(cut);
        QHash<ABPropertyID, QVariant> decoded;
        QVERIFY(!ABRecordCodec::decode(truncated, decoded));
        // A value is whole or absent, never read past the end.
        for (ABPropertyID property : sampleValues().keys()) {
            ABRecordCodec::Stored stored;
            stored.assign(truncated);
            const QVariant value = stored.value(property);
            QVERIFY(!value.isValid() || value == sampleValues().value(property));
        }
        QVERIFY(ABRecordCodec::withValues(truncated, {{kABPersonNoteProperty, QStringLiteral("x")}}).isEmpty());
    }
}

// A counting pass counts entries in the stored bytes; it must find what reading the value
// would give, whole, truncated or not a multi-value at all.
void RecordCodecTest::entriesAreCountedAsTheyWouldBeRead()
{
    const QByteArray bytes = ABRecordCodec::encode(sampleValues());
    for (qsizetype cut = bytes.size(); cut >= 0; --cut) {
        ABRecordCodec::Stored stored;
        stored.assign(bytes.left(cut));
        for (ABPropertyID property : {kABPersonPhoneProperty, kABPersonAddressProperty, kABPersonFirstNameProperty,
                                      kABPersonNoteProperty}) {
            const QVariant value = stored.value(property);
            ABRecordCodec::EntryCount expected;
            if (isMultiValue(value)) {
                const ABMultiValue values = value.value<ABMultiValue>();
                for (const ABMultiValue::Entry &entry : values.entries()) {
                    ++expected.all;
                    expected.labelled += entry.label.has_value();
                }
            }
            const ABRecordCodec::EntryCount counted = stored.countEntries(property);
            QCOMPARE(counted.all, expected.all);
            QCOMPARE(counted.labelled, expected.labelled);
        }
    }
    ABRecordCodec::Stored whole;
    whole.assign(bytes);
    QCOMPARE(whole.countEntries(kABPersonPhoneProperty).all, 2);
    QCOMPARE(whole.countEntries(kABPersonPhoneProperty).labelled, 1);
}

namespace {

// Every entry a walk hands over, as "label|field|field…" ("-" for no label).
QStringList walked(const std::function<void(ABRecordCodec::EntryTexts &, const ABRecordCodec::EntryTexts::Visit &)> &walk,
                   ABRecordCodec::EntryTexts &entry, int fields)
{
    QStringList lines;
    walk(entry, [&](const ABRecordCodec::EntryTexts &read) {
        QStringList parts{read.label() ? *read.label() : QStringLiteral("-")};
        for (int i = 0; i < fields; ++i)
            parts.append(read.field(i));
        lines.append(parts.join(QLatin1Char('|')));
    });
    return lines;
}

} // namespace

// Writers read entries in place, into buffers reused from entry to entry; they must see what
// the copied multi-value holds: a key one entry has and the next lacks, an entry without a
// label after one with, values of another kind than asked for, and damaged bytes.
void RecordCodecTest::entryTextsAreThoseOfTheMultiValue()
{
    QHash<ABPropertyID, QVariant> values = sampleValues();
    ABMultiValue addresses(kABMultiDictionaryPropertyType);
    addresses.addValueAndLabel(QVariantMap{{QStringLiteral("Street"), QStringLiteral("Rua A, 1\n2.º")},
                                           {QStringLiteral("City"), QStringLiteral("Porto")},
                                           {QStringLiteral("Extra"), QStringLiteral("not asked for")}},
                               QStringLiteral("work"));
    addresses.addValueAndLabel(QVariantMap{{QStringLiteral("City"), QStringLiteral("Faro")}}, std::nullopt);
    values.insert(kABPersonAddressProperty, QVariant::fromValue(addresses));
    ABMultiValue dates(kABMultiDateTimePropertyType);
    dates.addValueAndLabel(QDateTime(QDate(2001, 5, 6), QTime(0, 0), Qt::UTC), QStringLiteral("anniversary"));
    values.insert(kABPersonDateProperty, QVariant::fromValue(dates));
    const QByteArray bytes = ABRecordCodec::encode(values);

    const QStringList addressKeys{QStringLiteral("Street"), QStringLiteral("City")};
    ABRecordCodec::Stored whole;
    whole.assign(bytes);
    ABRecordCodec::EntryTexts addressEntry(addressKeys);
    auto storedWalk = [&whole](ABPropertyID property) {
        return [&whole, property](ABRecordCodec::EntryTexts &entry, const ABRecordCodec::EntryTexts::Visit &visit) {
            whole.forEachEntry(property, entry, visit);
        };
    };
    QCOMPARE(walked(storedWalk(kABPersonAddressProperty), addressEntry, 2),
             QStringList({QStringLiteral("work|Rua A, 1\n2.º|Porto"), QStringLiteral("-||Faro")}));
    ABRecordCodec::EntryTexts textEntry;
    QCOMPARE(walked(storedWalk(kABPersonPhoneProperty), textEntry, 1),
             QStringList({QStringLiteral("_$!<Mobile>!$_|+351 21 000 0000"), QStringLiteral("-|no label")}));

    // Each property read as text and by keys, whole and cut short, agrees with the copy.
    for (qsizetype cut = bytes.size(); cut >= 0; --cut) {
        ABRecordCodec::Stored stored;
        stored.assign(bytes.left(cut));
        for (ABPropertyID property : {kABPersonPhoneProperty, kABPersonAddressProperty, kABPersonDateProperty,
                                      kABPersonFirstNameProperty, kABPersonNoteProperty}) {
            const QVariant value = stored.value(property);
            const ABMultiValue copy = isMultiValue(value) ? value.value<ABMultiValue>() : ABMultiValue();
            for (const QStringList &keys : {QStringList(), addressKeys}) {
                const int fields = qMax(1, int(keys.size()));
                ABRecordCodec::EntryTexts fromStored(keys);
                ABRecordCodec::EntryTexts fromCopy(keys);
                const QStringList read = walked(
                    [&](ABRecordCodec::EntryTexts &entry, const ABRecordCodec::EntryTexts::Visit &visit) {
                        stored.forEachEntry(property, entry, visit);
                    },
                    fromStored, fields);
                const QStringList expected = walked(
                    [&](ABRecordCodec::EntryTexts &entry, const ABRecordCodec::EntryTexts::Visit &visit) {
                        entry.forEach(copy, visit);
                    },
                    fromCopy, fields);
                QCOMPARE(read, expected);
            }
        }
    }
}

QTEST_GUILESS_MAIN(RecordCodecTest)
#include "record_codec_test.moc"
