// The MECARD text of one person: name rules, field order, the export filter and escaping.

#include "qr/MecardText.h"
#include "shell/AppData.h"

#include <QTimeZone>
#include <QtTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(ABRecordRef)

namespace {

struct Address {
    QString street, city, state, zip, country;
};

ABRecordRef person(const QString &first, const QString &last)
{
    ABRecordRef record = ABRecord::createPerson();
    if (!first.isEmpty())
        record->setValue(kABPersonFirstNameProperty, first);
    if (!last.isEmpty())
        record->setValue(kABPersonLastNameProperty, last);
    return record;
}

void addValues(const ABRecordRef &record, ABPropertyID property, const QStringList &values)
{
    ABMultiValue multi(kABMultiStringPropertyType);
    for (const QString &value : values)
        multi.addValueAndLabel(value, kABHomeLabel);
    record->setValue(property, QVariant::fromValue(multi));
}

void addAddress(const ABRecordRef &record, const Address &address)
{
    QVariantMap parts;
    const QList<std::pair<QString, QString>> keyed{{kABPersonAddressStreetKey, address.street},
                                                   {kABPersonAddressCityKey, address.city},
                                                   {kABPersonAddressStateKey, address.state},
                                                   {kABPersonAddressZIPKey, address.zip},
                                                   {kABPersonAddressCountryKey, address.country}};
    for (const auto &[key, value] : keyed) {
        if (!value.isEmpty())
            parts.insert(key, value);
    }
    ABMultiValue multi(kABMultiDictionaryPropertyType);
    multi.addValueAndLabel(parts, kABWorkLabel);
    record->setValue(kABPersonAddressProperty, QVariant::fromValue(multi));
}

} // namespace

class MecardTextTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void text_data();
    void text();
    void everyFamilyInOrder();
};

void MecardTextTest::text_data()
{
    QTest::addColumn<ABRecordRef>("record");
    QTest::addColumn<uint>("mask");
    QTest::addColumn<QString>("expected");

    ABRecordRef firstOnly = person(u"Ana"_s, {});
    addValues(firstOnly, kABPersonPhoneProperty, {u"+351 912"_s});
    QTest::newRow("first name only") << firstOnly << uint(FieldFilter::Default) << u"MECARD:N:Ana;TEL:+351 912;;"_s;
    QTest::newRow("last name only") << person({}, u"Silva"_s) << uint(FieldFilter::Default) << u"MECARD:N:Silva;;"_s;
    QTest::newRow("both names") << person(u"Ana"_s, u"Silva"_s) << uint(FieldFilter::Default) << u"MECARD:N:Silva, Ana;;"_s;

    ABRecordRef nameless = person({}, {});
    nameless->setValue(kABPersonNicknameProperty, u"Bo"_s);
    QTest::newRow("no name, a nickname") << nameless << uint(FieldFilter::Default) << u"MECARD:NICKNAME:Bo;;"_s;

    ABRecordRef phones = person(u"Ana"_s, {});
    addValues(phones, kABPersonPhoneProperty, {u"111"_s, u"222"_s});
    QTest::newRow("phones off") << phones << uint(FieldFilter::Default & ~FieldFilter::Phone) << u"MECARD:N:Ana;;"_s;

    ABRecordRef cityOnly = person(u"Ana"_s, {});
    addAddress(cityOnly, {{}, u"Porto"_s, {}, {}, {}});
    QTest::newRow("address with only a city") << cityOnly << uint(FieldFilter::Default) << u"MECARD:N:Ana;ADR:,Porto,,,;;"_s;

    ABRecordRef fullAddress = person(u"Ana"_s, {});
    addAddress(fullAddress, {u"Rua 1"_s, u"Porto"_s, u"Norte"_s, u"4000"_s, u"Portugal"_s});
    QTest::newRow("whole address") << fullAddress << uint(FieldFilter::Default)
                                   << u"MECARD:N:Ana;ADR:Rua 1,Porto,Norte,4000,Portugal;;"_s;
    QTest::newRow("addresses off") << fullAddress << uint(FieldFilter::Default & ~FieldFilter::Address) << u"MECARD:N:Ana;;"_s;

    // Reserved characters inside values would end a field early.
    ABRecordRef reserved = person(u"Jr., Bo"_s, u"O;Neil"_s);
    reserved->setValue(kABPersonNoteProperty, u"call after 5; ask for Bo"_s);
    addValues(reserved, kABPersonURLProperty, {u"http://x.example/a,b"_s});
    addAddress(reserved, {u"Flat 2, 1 High St"_s, {}, {}, {}, u"C:\\land"_s});
    QTest::newRow("reserved characters escaped")
        << reserved << uint(FieldFilter::Default)
        << u"MECARD:N:O\\;Neil, Jr.\\, Bo;ADR:Flat 2\\, 1 High St,,,,C\\:\\\\land;URL:http\\://x.example/a\\,b;"
           "NOTE:call after 5\\; ask for Bo;;"_s;
}

void MecardTextTest::text()
{
    QFETCH(ABRecordRef, record);
    QFETCH(uint, mask);
    QFETCH(QString, expected);
    QCOMPARE(MecardText::build(*record, mask), expected);
}

void MecardTextTest::everyFamilyInOrder()
{
    ABRecordRef record = person(u"José"_s, u"Müller"_s);
    record->setValue(kABPersonNicknameProperty, u"Zé"_s);
    record->setValue(kABPersonNoteProperty, u"Line one\nline two"_s);
    record->setValue(kABPersonBirthdayProperty, QDateTime(QDate(1980, 2, 29), QTime(12, 0), QTimeZone::utc()));
    record->setValue(kABPersonJobTitleProperty, u"Never written"_s);
    addValues(record, kABPersonURLProperty, {u"example.org"_s});
    addAddress(record, {u"Rua 1"_s, u"Porto"_s, {}, u"4000"_s, {}});
    addValues(record, kABPersonEmailProperty, {u"ze@example.org"_s});
    addValues(record, kABPersonPhoneProperty, {u"111"_s, u"222"_s});
    QCOMPARE(MecardText::build(*record, FieldFilter::Default),
             u"MECARD:N:Müller, José;NICKNAME:Zé;TEL:111;TEL:222;EMAIL:ze@example.org;ADR:Rua 1,Porto,,4000,;"
             "URL:example.org;NOTE:Line one\nline two;BDAY:19800229;;"_s);

    const uint32_t namesOnly = FieldFilter::Default & ~(FieldFilter::Phone | FieldFilter::Email | FieldFilter::Address |
                                                        FieldFilter::URL | FieldFilter::Note | FieldFilter::Dates);
    QCOMPARE(MecardText::build(*record, namesOnly), u"MECARD:N:Müller, José;NICKNAME:Zé;;"_s);
}

QTEST_GUILESS_MAIN(MecardTextTest)
#include "MecardText_test.moc"
