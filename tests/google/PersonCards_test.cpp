// The exchange's label mapping and field filter between people and account contacts.

#include "google/ContactLabels.h"
#include "google/PersonCards.h"
#include "shell/AppData.h"

#include <QtTest>

using namespace Qt::StringLiterals;
using Family = ContactLabels::Family;

Q_DECLARE_METATYPE(ContactLabels::Family)

namespace {

ABMultiValue texts(const QList<std::pair<std::optional<QString>, QString>> &entries)
{
    ABMultiValue values(kABMultiStringPropertyType);
    for (const auto &[label, value] : entries)
        values.addValueAndLabel(value, label);
    return values;
}

QVariantMap im(const QString &service, const QString &user)
{
    return {{kABPersonInstantMessageServiceKey, service}, {kABPersonInstantMessageUsernameKey, user}};
}

} // namespace

class PersonCardsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void labelsBothWays_data();
    void labelsBothWays();
    void labelsOfOtherWriters_data();
    void labelsOfOtherWriters();
    void skipsServicesNotExchanged();
    void marker_data();
    void marker();
    void fieldFilter();
};

void PersonCardsTest::labelsBothWays_data()
{
    QTest::addColumn<Family>("family");
    QTest::addColumn<std::optional<QString>>("label");
    QTest::addColumn<QStringList>("types");
    QTest::addColumn<QString>("customLabel");
    QTest::addColumn<QString>("back");
    const std::optional<QString> none;
    auto row = [](const char *name) -> QTestData & { return QTest::newRow(name); };
    row("phone work") << Family::Phone << std::optional(kABWorkLabel) << QStringList{u"work"_s} << QString() << kABWorkLabel;
    row("phone home") << Family::Phone << std::optional(kABHomeLabel) << QStringList{u"home"_s} << QString() << kABHomeLabel;
    row("phone other") << Family::Phone << std::optional(kABOtherLabel) << QStringList{} << QString() << kABOtherLabel;
    row("phone without label") << Family::Phone << none << QStringList{} << QString() << kABOtherLabel;
    row("phone mobile") << Family::Phone << std::optional(kABPersonPhoneMobileLabel) << QStringList{u"cell"_s} << QString()
                        << kABPersonPhoneMobileLabel;
    row("phone home fax") << Family::Phone << std::optional(kABPersonPhoneHomeFAXLabel) << QStringList{u"home"_s, u"fax"_s}
                          << QString() << kABPersonPhoneHomeFAXLabel;
    row("phone work fax") << Family::Phone << std::optional(kABPersonPhoneWorkFAXLabel) << QStringList{u"work"_s, u"fax"_s}
                          << QString() << kABPersonPhoneWorkFAXLabel;
    row("phone pager") << Family::Phone << std::optional(kABPersonPhonePagerLabel) << QStringList{u"pager"_s} << QString()
                       << kABPersonPhonePagerLabel;
    // "main" has no type of its own: it goes as a label and comes back as that text.
    row("phone main") << Family::Phone << std::optional(kABPersonPhoneMainLabel) << QStringList{} << u"main"_s << u"main"_s;
    row("phone custom") << Family::Phone << std::optional(u"barco"_s) << QStringList{} << u"barco"_s << u"barco"_s;
    row("email work") << Family::Email << std::optional(kABWorkLabel) << QStringList{u"work"_s} << QString() << kABWorkLabel;
    row("email custom") << Family::Email << std::optional(u"escola"_s) << QStringList{} << u"escola"_s << u"escola"_s;
    row("url home page") << Family::Url << std::optional(kABPersonHomePageLabel) << QStringList{u"home-page"_s} << QString()
                         << kABPersonHomePageLabel;
    row("url blog") << Family::Url << std::optional(u"blog"_s) << QStringList{} << u"blog"_s << u"blog"_s;
    row("address home") << Family::Address << std::optional(kABHomeLabel) << QStringList{u"home"_s} << QString() << kABHomeLabel;
    row("address custom") << Family::Address << std::optional(u"casa de férias"_s) << QStringList{} << u"casa de férias"_s
                          << u"casa de férias"_s;
    row("im work") << Family::Message << std::optional(kABWorkLabel) << QStringList{u"work"_s} << QString() << kABWorkLabel;
    // A stored label of another family travels as its text.
    row("im anniversary") << Family::Message << std::optional(kABPersonAnniversaryLabel) << QStringList{} << u"anniversary"_s
                          << u"anniversary"_s;
}

void PersonCardsTest::labelsBothWays()
{
    QFETCH(Family, family);
    QFETCH(std::optional<QString>, label);
    QFETCH(QStringList, types);
    QFETCH(QString, customLabel);
    QFETCH(QString, back);
    const ContactLabels::Outgoing outgoing = ContactLabels::toCard(family, label);
    QCOMPARE(outgoing.types, types);
    QCOMPARE(outgoing.label, customLabel);
    QCOMPARE(ContactLabels::fromCard(family, outgoing.types, outgoing.label), back);
}

void PersonCardsTest::labelsOfOtherWriters_data()
{
    QTest::addColumn<Family>("family");
    QTest::addColumn<QStringList>("types");
    QTest::addColumn<QString>("expected");
    QTest::newRow("fax alone is a home fax") << Family::Phone << QStringList{u"fax"_s} << kABPersonPhoneHomeFAXLabel;
    QTest::newRow("cell with voice") << Family::Phone << QStringList{u"cell"_s, u"voice"_s, u"pref"_s} << kABPersonPhoneMobileLabel;
    QTest::newRow("voice only") << Family::Phone << QStringList{u"voice"_s} << kABOtherLabel;
    QTest::newRow("internet mail") << Family::Email << QStringList{u"internet"_s} << kABOtherLabel;
    QTest::newRow("mobile mail") << Family::Email << QStringList{u"internet"_s, u"cell"_s} << kABPersonPhoneMobileLabel;
    QTest::newRow("url profile") << Family::Url << QStringList{u"profile"_s} << u"profile"_s;
    QTest::newRow("url work") << Family::Url << QStringList{u"work"_s} << kABWorkLabel;
    QTest::newRow("postal work") << Family::Address << QStringList{u"postal"_s, u"work"_s} << kABWorkLabel;
}

void PersonCardsTest::labelsOfOtherWriters()
{
    QFETCH(Family, family);
    QFETCH(QStringList, types);
    QFETCH(QString, expected);
    QCOMPARE(ContactLabels::fromCard(family, types, QString()), expected);
}

void PersonCardsTest::skipsServicesNotExchanged()
{
    ABRecordRef person = ABRecord::createPerson();
    ABMultiValue messages(kABMultiDictionaryPropertyType);
    messages.addValueAndLabel(im(u"Skype"_s, u"ana.skype"_s), kABHomeLabel);
    messages.addValueAndLabel(im(u"GoogleTalk"_s, u"ana.gtalk"_s), kABHomeLabel);
    messages.addValueAndLabel(im(kABPersonInstantMessageServiceJabber, u"ana@jabber"_s), kABWorkLabel);
    person->setValue(kABPersonInstantMessageProperty, QVariant::fromValue(messages));
    const ContactCard card = PersonCards::cardFromPerson(*person, FieldFilter::Default);
    QCOMPARE(card.messages.size(), 1);
    QCOMPARE(card.messages.first().service, kABPersonInstantMessageServiceJabber);

    // Coming back, only exchanged services are kept, and no property at all when none is.
    ContactCard incoming;
    incoming.messages = {{u"Skype"_s, u"x"_s, {}, {}}};
    QVERIFY(!PersonCards::personFromCard(incoming, FieldFilter::Default)->copyValue(kABPersonInstantMessageProperty).isValid());
}

void PersonCardsTest::marker_data()
{
    QTest::addColumn<QString>("family");
    QTest::addColumn<uint32_t>("mask");
    QTest::addColumn<QString>("lastName");
    QTest::newRow("family name, marker") << u"Silva"_s << (FieldFilter::Default | FieldFilter::Marker) << u"Silva (*)"_s;
    QTest::newRow("no family name, marker") << QString() << (FieldFilter::Default | FieldFilter::Marker) << u"(*)"_s;
    QTest::newRow("no marker") << u"Silva"_s << FieldFilter::Default << u"Silva"_s;
    QTest::newRow("nothing") << QString() << FieldFilter::Default << QString();
}

void PersonCardsTest::marker()
{
    QFETCH(QString, family);
    QFETCH(uint32_t, mask);
    QFETCH(QString, lastName);
    ContactCard card;
    card.givenName = u"Zé"_s;
    card.familyName = family;
    const ABRecordRef person = PersonCards::personFromCard(card, mask);
    QCOMPARE(person->copyText(kABPersonLastNameProperty), lastName);
    QCOMPARE(person->copyText(kABPersonFirstNameProperty), u"Zé"_s);
}

void PersonCardsTest::fieldFilter()
{
    ABRecordRef person = ABRecord::createPerson();
    person->setValue(kABPersonFirstNameProperty, u"Ana"_s);
    person->setValue(kABPersonOrganizationProperty, u"Marques"_s);
    person->setValue(kABPersonNoteProperty, u"nota"_s);
    person->setValue(kABPersonPhoneProperty, QVariant::fromValue(texts({{kABWorkLabel, u"1"_s}})));
    person->setValue(kABPersonEmailProperty, QVariant::fromValue(texts({{kABWorkLabel, u"a@b"_s}})));
    // Phones and the note switched off: names and organisation still travel.
    const uint32_t mask = FieldFilter::Default & ~FieldFilter::Phone & ~FieldFilter::Note;
    const ContactCard card = PersonCards::cardFromPerson(*person, mask);
    QVERIFY(card.phones.isEmpty());
    QVERIFY(card.note.isEmpty());
    QCOMPARE(card.emails.size(), 1);
    QCOMPARE(card.givenName, u"Ana"_s);
    QCOMPARE(card.organization, u"Marques"_s);

    ContactCard full = PersonCards::cardFromPerson(*person, FieldFilter::Default);
    const ABRecordRef back = PersonCards::personFromCard(full, mask);
    QVERIFY(!back->copyValue(kABPersonPhoneProperty).isValid());
    QVERIFY(!back->copyValue(kABPersonNoteProperty).isValid());
    QCOMPARE(back->copyMultiValue(kABPersonEmailProperty).copyValueAtIndex(0).toString(), u"a@b"_s);
}

QTEST_GUILESS_MAIN(PersonCardsTest)
#include "PersonCards_test.moc"
