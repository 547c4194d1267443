// Cards written the way phones, web mail, desktop address books and mail clients write them:
// every phone, e-mail, address and URL that python3-vobject reads reaches the address book,
// with the labels of the group lines.

#include "formats/vcard/VCARDimport.h"

#include "support/TestEnvironment.h"

#include "shell/AppData.h"

#include <QDir>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

QList<ABRecordRef> peopleInFileOrder(ABAddressBook &book)
{
    QList<ABRecordRef> people = book.copyArrayOfAllPeople();
    std::sort(people.begin(), people.end(), [](const ABRecordRef &a, const ABRecordRef &b) { return a->recordID() < b->recordID(); });
    return people;
}

// Every line of every part, sorted: an address compared whatever part holds its text.
QStringList addressLines(const QStringList &parts)
{
    QStringList lines;
    for (const QString &part : parts)
        lines += part.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    lines.sort();
    return lines;
}

QList<std::pair<QString, QString>> entries(const ABRecord &person, ABPropertyID property)
{
    QList<std::pair<QString, QString>> list;
    const ABMultiValue multiValue = person.copyMultiValue(property);
    for (const ABMultiValue::Entry &entry : multiValue.entries())
        list.append({entry.label.value_or(QString()), entry.value.toString()});
    return list;
}

} // namespace

class VCardProducersTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void sameAsVobject_data();
    void sameAsVobject();
    void whatTheStylesCarry();
    void phoneLabelsOfEveryParameterStyle_data();
    void phoneLabelsOfEveryParameterStyle();
    void valueHoldingEndIsNoMarker();
    void namesCategoriesAndProfilesOfPhones();
};

void VCardProducersTest::sameAsVobject_data()
{
    QTest::addColumn<QString>("file");
    const QDir folder(TestEnvironment::dataPath(u"vcard-producers"_s));
    for (const QString &name : folder.entryList({u"*.vcf"_s}, QDir::Files))
        QTest::newRow(qPrintable(name)) << folder.filePath(name);
}

void VCardProducersTest::sameAsVobject()
{
    QFETCH(QString, file);
    QProcess python;
    python.start(u"/usr/bin/python3"_s, {TestEnvironment::dataPath(u"vcard-producers/compare_vobject.py"_s), file});
    QVERIFY(python.waitForFinished(60000));
    QVERIFY2(python.exitCode() == 0, python.readAllStandardError().constData());
    const QList<QByteArray> cards = python.readAllStandardOutput().trimmed().split('\n');

    TestEnvironment env;
    QCOMPARE(VCARDimport::importFile(file, FieldFilter::Default, 0, nullptr), int(cards.size()));
    const QList<ABRecordRef> people = peopleInFileOrder(*env.open());
    QCOMPARE(people.size(), cards.size());
    const std::pair<const char *, ABPropertyID> families[] = {
        {"TEL", kABPersonPhoneProperty}, {"EMAIL", kABPersonEmailProperty}, {"ADR", kABPersonAddressProperty}, {"URL", kABPersonURLProperty}};
    for (qsizetype card = 0; card < cards.size(); ++card) {
        const QJsonObject expected = QJsonDocument::fromJson(cards[card]).object();
        for (const auto &[key, property] : families) {
            const QJsonArray theirs = expected.value(QLatin1String(key)).toArray();
            const QList<ABMultiValue::Entry> ours = people[card]->copyMultiValue(property).entries();
            QCOMPARE(ours.size(), theirs.size());
            for (qsizetype i = 0; i < ours.size(); ++i) {
                const QJsonArray pair = theirs[i].toArray();
                if (property == kABPersonAddressProperty) {
                    QStringList their;
                    for (const QJsonValue &part : pair[0].toArray())
                        their.append(part.toString());
                    QStringList mine;
                    for (const QVariant &part : ours[i].value.toMap())
                        mine.append(part.toString());
                    QCOMPARE(addressLines(mine), addressLines(their));
                } else {
                    // vobject leaves "\:" (a 2.1 habit, not a 3.0 escape) as it stands.
                    QCOMPARE(ours[i].value.toString(), pair[0].toString().replace(u"\\:"_s, u":"_s));
                }
                if (!pair[1].toString().isEmpty())
                    QCOMPARE(ours[i].label.value_or(QString()), pair[1].toString());
            }
        }
    }
}

void VCardProducersTest::whatTheStylesCarry()
{
    TestEnvironment env;
    const QDir folder(TestEnvironment::dataPath(u"vcard-producers"_s));
    for (const char *name : {"desktop.vcf", "webmail.vcf", "mailclient.vcf", "phone.vcf"})
        QCOMPARE(VCARDimport::importFile(folder.filePath(QLatin1String(name)), FieldFilter::Default, 0, nullptr), 1);
    const QList<ABRecordRef> people = peopleInFileOrder(*env.open());
    QCOMPARE(people.size(), 4);

    // Desktop address book: grouped properties with their labels, before or after them.
    const ABRecordRef &ana = people[0];
    QCOMPARE(entries(*ana, kABPersonPhoneProperty),
             (QList<std::pair<QString, QString>>{{u"Boat"_s, u"+1 555 0110"_s}, {kABPersonPhoneMobileLabel, u"+1 555 0111"_s}}));
    QCOMPARE(entries(*ana, kABPersonEmailProperty), (QList<std::pair<QString, QString>>{{kABOtherLabel, u"ana@example.com"_s}}));
    QCOMPARE(entries(*ana, kABPersonURLProperty),
             (QList<std::pair<QString, QString>>{{kABPersonHomePageLabel, u"http://ana.example.com/a,b"_s}}));
    QCOMPARE(entries(*ana, kABPersonRelatedNamesProperty), (QList<std::pair<QString, QString>>{{u"_$!<Spouse>!$_"_s, u"Bo Marsh"_s}}));
    const ABMultiValue dates = ana->copyMultiValue(kABPersonDateProperty);
    QCOMPARE(dates.count(), 1);
    QCOMPARE(dates.copyLabelAtIndex(0).value_or(QString()), kABPersonAnniversaryLabel);
    QCOMPARE(dates.copyValueAtIndex(0).toDateTime().date(), QDate(2004, 6, 12));
    const QVariantMap im = ana->copyMultiValue(kABPersonInstantMessageProperty).copyValueAtIndex(0).toMap();
    QCOMPARE(im.value(kABPersonInstantMessageServiceKey).toString(), kABPersonInstantMessageServiceJabber);
    QCOMPARE(im.value(kABPersonInstantMessageUsernameKey).toString(), u"ana@jabber.example"_s);
    QCOMPARE(ana->copyText(kABPersonNoteProperty), u"first line\nsecond; third"_s);

    // Web mail: the address only in the extended part; an escaped ";" in ORG.
    const ABRecordRef &rui = people[1];
    QCOMPARE(rui->copyMultiValue(kABPersonAddressProperty).copyValueAtIndex(0).toMap(),
             (QVariantMap{{kABPersonAddressStreetKey, u"Crescent moon drive\n555-asd\nNice Area, Albaney, New York"_s}}));
    QCOMPARE(rui->copyText(kABPersonOrganizationProperty), u"Costa ; Filhos"_s);
    QCOMPARE(QImage::fromData(rui->copyImageData()).size(), QSize(6, 4)); // folded base64

    // Mail client: lower-case names, VERSION last, bare quoted-printable parameter.
    const ABRecordRef &lea = people[2];
    QCOMPARE(lea->copyText(kABPersonLastNameProperty), u"Kurz"_s);
    QCOMPARE(lea->copyText(kABPersonNoteProperty), u"Grüße aus Berlin"_s);
    QCOMPARE(entries(*lea, kABPersonPhoneProperty),
             (QList<std::pair<QString, QString>>{{kABWorkLabel, u"+49 30 1111"_s}, {kABPersonPhoneMobileLabel, u"+49 170 2222"_s}}));

    // Phone, vCard 2.1: a quoted-printable address with a soft break.
    const ABRecordRef &joao = people[3];
    QCOMPARE(joao->copyText(kABPersonLastNameProperty), u"Gonçalves"_s);
    QCOMPARE(joao->copyMultiValue(kABPersonAddressProperty).copyValueAtIndex(0).toMap().value(kABPersonAddressStreetKey).toString(),
             u"Rua do Paço 3"_s);
}

void VCardProducersTest::phoneLabelsOfEveryParameterStyle_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("label");
    QTest::newRow("2.1 bare") << u"TEL;WORK;FAX:1"_s << kABPersonPhoneWorkFAXLabel;
    QTest::newRow("lower case, repeated type") << u"tel;type=work;type=pref:1"_s << kABWorkLabel;
    QTest::newRow("type list") << u"TEL;TYPE=CELL,VOICE:1"_s << kABPersonPhoneMobileLabel;
    QTest::newRow("pref first") << u"TEL;TYPE=PREF,FAX,WORK:1"_s << kABPersonPhoneWorkFAXLabel;
    QTest::newRow("grouped, no label line") << u"item1.TEL;type=HOME:1"_s << kABHomeLabel;
    QTest::newRow("group name is no type") << u"work.TEL:1"_s << kABOtherLabel;
    QTest::newRow("mixed case keyword") << u"Tel;Pref;Pager:1"_s << kABPersonPhonePagerLabel;
    // Case folding outside ASCII: the Kelvin sign folds to k.
    QTest::newRow("folded letter outside ASCII") << u"TEL;TYPE=WOR\u212A:1"_s << kABWorkLabel;
}

void VCardProducersTest::phoneLabelsOfEveryParameterStyle()
{
    QFETCH(QString, line);
    QFETCH(QString, label);
    TestEnvironment env;
    const QString path = env.path(u"one.vcf"_s);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write((u"BEGIN:VCARD\r\nN:Doe;Jo\r\n"_s + line + u"\r\nEND:VCARD\r\n"_s).toUtf8());
    file.close();
    QCOMPARE(VCARDimport::importFile(path, FieldFilter::Default, 0, nullptr), 1);
    const QList<ABRecordRef> people = peopleInFileOrder(*env.open());
    QCOMPARE(entries(*people.first(), kABPersonPhoneProperty), (QList<std::pair<QString, QString>>{{label, u"1"_s}}));
}

void VCardProducersTest::valueHoldingEndIsNoMarker()
{
    TestEnvironment env;
    const QString path = env.path(u"end.vcf"_s);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("BEGIN:VCARD\r\nN:Doe;Jo\r\nNOTE:see you at the weekend: end: of story\r\nEND:VCARD\r\n");
    file.close();
    QCOMPARE(VCARDimport::importFile(path, FieldFilter::Default, 0, nullptr), 1);
    QCOMPARE(peopleInFileOrder(*env.open()).first()->copyText(kABPersonNoteProperty), u"see you at the weekend: end: of story"_s);
}

void VCardProducersTest::namesCategoriesAndProfilesOfPhones()
{
    TestEnvironment env;
    const QString path = env.path(u"phone.vcf"_s);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Doe;John;Quincy;Dr.;Jr.\r\nBDAY:1980-02-29T00:00:00Z\r\nCATEGORIES:Friends,Chess club\r\n"
               "X-SOCIALPROFILE;type=twitter:http://twitter.com/johnny\r\n"
               "item1.X-SOCIALPROFILE;TYPE=linkedin;x-user=jdoe:https://linkedin.example/in/j-d\r\n"
               "item1.X-ABLabel:profile\r\nEND:VCARD\r\n");
    file.close();
    QCOMPARE(VCARDimport::importFile(path, FieldFilter::Default, 0, nullptr), 1);
    ABAddressBookRef book = env.open();
    const ABRecordRef john = peopleInFileOrder(*book).first();
    QCOMPARE(john->copyText(kABPersonMiddleNameProperty), u"Quincy"_s);
    QCOMPARE(john->copyText(kABPersonPrefixProperty), u"Dr."_s);
    QCOMPARE(john->copyText(kABPersonSuffixProperty), u"Jr."_s);
    QCOMPARE(john->copyValue(kABPersonBirthdayProperty).toDateTime().date(), QDate(1980, 2, 29));
    QStringList groups;
    for (const ABRecordRef &group : book->copyArrayOfAllGroups())
        groups << group->copyText(kABGroupNameProperty);
    groups.sort();
    QCOMPARE(groups, (QStringList{u"Chess club"_s, u"Friends"_s}));
    const ABMultiValue profiles = john->copyMultiValue(kABPersonSocialProfileProperty);
    QCOMPARE(profiles.count(), 2);
    QCOMPARE(profiles.copyValueAtIndex(0).toMap(),
             (QVariantMap{{kABPersonSocialProfileServiceKey, u"twitter"_s},
                          {kABPersonSocialProfileUsernameKey, u"johnny"_s},
                          {kABPersonSocialProfileURLKey, u"http://twitter.com/johnny"_s}}));
    QCOMPARE(profiles.copyValueAtIndex(1).toMap().value(kABPersonSocialProfileUsernameKey).toString(), u"jdoe"_s);
    QCOMPARE(profiles.copyLabelAtIndex(1).value_or(QString()), u"profile"_s);

    // Without the prefix-and-suffix family the name keeps its middle part only.
    TestEnvironment second;
    QCOMPARE(VCARDimport::importFile(path, FieldFilter::Default & ~FieldFilter::PrefixSuffix, 0, nullptr), 1);
    const ABRecordRef plain = peopleInFileOrder(*second.open()).first();
    QCOMPARE(plain->copyText(kABPersonMiddleNameProperty), u"Quincy"_s);
    QVERIFY(plain->copyText(kABPersonPrefixProperty).isNull());
}

QTEST_GUILESS_MAIN(VCardProducersTest)
#include "vcard_producers_test.moc"
