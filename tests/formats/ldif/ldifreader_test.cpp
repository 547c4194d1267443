#include "support/TestEnvironment.h"
#include "addressbook/ABConnection.h"
#include "formats/common/ImportOutcome.h"
#include "formats/common/ProgressTarget.h"
#include "formats/ldif/LdifLineParser.h"
#include "formats/ldif/LdifReader.h"
#include "shell/AppData.h"

#include <QDir>
#include <QFile>
#include <QTest>

namespace {

struct CountingTarget : ProgressTarget {
    QList<int> counts;
    int saving = 0;
    void setNumberProgress(int count) override { counts.append(count); }
    void savingData() override { ++saving; }
};

QString write(const TestEnvironment &env, const QByteArray &text)
{
    QFile file(env.path(QStringLiteral("in.ldif")));
    if (file.open(QIODevice::WriteOnly))
        file.write(text);
    return file.fileName();
}

ABRecordRef personNamed(ABAddressBook &book, const QString &first)
{
    for (const ABRecordRef &person : book.copyArrayOfAllPeople()) {
        if (person->copyText(kABPersonFirstNameProperty) == first)
            return person;
    }
    return nullptr;
}

// "label=value" per entry, for comparing a whole multi-value at once.
QStringList entries(const ABRecordRef &person, ABPropertyID property)
{
    QStringList list;
    const ABMultiValue multi = person->copyMultiValue(property);
    for (const ABMultiValue::Entry &entry : multi.entries()) {
        QString value = entry.value.typeId() == QMetaType::QVariantMap
                            ? QStringList(entry.value.toMap().keys()).join(QLatin1Char('+')) + QLatin1Char(':')
                                  + entry.value.toMap().value(kABPersonAddressCityKey).toString()
                                  + entry.value.toMap().value(kABPersonInstantMessageUsernameKey).toString()
                            : entry.value.typeId() == QMetaType::QDateTime ? entry.value.toDateTime().date().toString(Qt::ISODate)
                                                                            : entry.value.toString();
        list.append(entry.label.value_or(QStringLiteral("-")) + QLatin1Char('=') + value);
    }
    return list;
}

} // namespace

class LdifReaderTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void lineParser()
    {
        std::optional<LdifLine> plain = ldif_parse_line("  sn  :   Silva ");
        QVERIFY(plain);
        QCOMPARE(plain->name.toByteArray(), QByteArray("sn"));
        QCOMPARE(plain->value().toByteArray(), QByteArray("Silva "));
        QCOMPARE(ldif_parse_line("description:: TGluZSBvbmUKTGluZSB0d28=")->value().toByteArray(), QByteArray("Line one\nLine two"));
        QCOMPARE(ldif_parse_line("x:: QQ==")->value().toByteArray(), QByteArray("A"));
        QCOMPARE(ldif_parse_line("x: a\x01" "b")->value().toByteArray(), QByteArray("ab"));
        // A value of nothing but dropped bytes, and one of nothing, are empty, not missing.
        QVERIFY(ldif_parse_line("x: \x01")->value().isEmpty());
        QVERIFY(ldif_parse_line("x:")->value().isEmpty());
        QVERIFY(!ldif_parse_line("no colon here"));
        QVERIFY(!ldif_parse_line("x:: QW5"));    // cut short
        QVERIFY(!ldif_parse_line("x:: Q*==")); // outside the alphabet
        QVERIFY(!ldifDecodeBase64("QUJD\x01"));
    }

    void schemaZeroReadsBackEveryFamily()
    {
        TestEnvironment env;
        CountingTarget target;
        QCOMPARE(ldif_import(TestEnvironment::dataPath(QStringLiteral("ldif/schema0.ldif")), FieldFilter::Default, 0, &target), 3);
        QCOMPARE(target.counts, (QList<int>{1, 2}));
        QCOMPARE(target.saving, 1);

        ABAddressBookRef book = env.open();
        ABRecordRef ana = personNamed(*book, QStringLiteral("Ana"));
        QVERIFY(ana);
        QCOMPARE(ana->copyText(kABPersonLastNameProperty), QStringLiteral("Silva"));
        QCOMPARE(ana->copyText(kABPersonMiddleNameProperty), QStringLiteral("Maria"));
        QCOMPARE(ana->copyText(kABPersonFirstNamePhoneticProperty), QStringLiteral("Ána"));
        QCOMPARE(ana->copyText(kABPersonPrefixProperty), QStringLiteral("Dra."));
        QCOMPARE(ana->copyText(kABPersonNicknameProperty), QStringLiteral("Aninhas"));
        QCOMPARE(ana->copyText(kABPersonJobTitleProperty), QStringLiteral("Gerente"));
        QCOMPARE(ana->copyText(kABPersonNoteProperty), QStringLiteral("First line\nSecond line"));
        QCOMPARE(ana->copyValue(kABPersonBirthdayProperty).toDateTime().date(), QDate(1980, 2, 29));
        QCOMPARE(entries(ana, kABPersonPhoneProperty),
                 (QStringList{kABPersonPhoneMainLabel + QStringLiteral("=+351 210 000 001"),
                              kABPersonPhoneMobileLabel + QStringLiteral("=+351 910 000 002"),
                              kABPersonPhoneHomeFAXLabel + QStringLiteral("=+351 210 000 003"),
                              kABPersonPhoneWorkFAXLabel + QStringLiteral("=+351 210 000 004"),
                              kABPersonPhonePagerLabel + QStringLiteral("=+351 210 000 005"),
                              kABWorkLabel + QStringLiteral("=+351 210 000 006"),
                              kABHomeLabel + QStringLiteral("=+351 210 000 007"),
                              kABOtherLabel + QStringLiteral("=+351 210 000 008"),
                              QStringLiteral("boat=+351 210 000 009")}));
        QCOMPARE(entries(ana, kABPersonEmailProperty),
                 (QStringList{kABWorkLabel + QStringLiteral("=ana@work.example"), kABHomeLabel + QStringLiteral("=ana@home.example"),
                              kABOtherLabel + QStringLiteral("=ana@other.example"), QStringLiteral("email=ana@nolabel.example")}));
        QCOMPARE(entries(ana, kABPersonURLProperty).size(), 5);
        QCOMPARE(entries(ana, kABPersonURLProperty).at(2), kABPersonHomePageLabel + QStringLiteral("=https://ana.example"));
        QCOMPARE(entries(ana, kABPersonDateProperty), QStringList{QStringLiteral("anniversary=2005-06-10")});
        QCOMPARE(entries(ana, kABPersonInstantMessageProperty),
                 (QStringList{QStringLiteral("work=service+username:ana.s"), QStringLiteral("home=service+username:anas")}));
        QCOMPARE(entries(ana, kABPersonAddressProperty),
                 (QStringList{kABHomeLabel + QStringLiteral("=City+Country+State+Street+ZIP:Lisboa"),
                              kABWorkLabel + QStringLiteral("=City+Country+Street+ZIP:Porto"),
                              kABOtherLabel + QStringLiteral("=City+Street:Coimbra"),
                              QStringLiteral("summer=City+Country+Street:Faro")}));
        QCOMPARE(ana->copyMultiValue(kABPersonAddressProperty).copyValueAtIndex(1).toMap().value(kABPersonAddressStreetKey).toString(),
                 QStringLiteral("Av. da Boavista 2\nPiso 3"));

        // Groups are made after the save and hold their members in file order.
        QList<ABRecordRef> groups = book->copyArrayOfAllGroups();
        QCOMPARE(groups.size(), 2);
        for (const ABRecordRef &group : groups) {
            const bool friends = group->copyText(kABGroupNameProperty) == QStringLiteral("Friends");
            QCOMPARE(group->copyArrayOfAllMembers().size(), friends ? 2 : 1);
        }
        // The entry without attributes of its own takes nothing from the one before.
        ABRecordRef zed = book->copyArrayOfAllPeople().last();
        QCOMPARE(zed->copyText(kABPersonOrganizationProperty), QStringLiteral("Zed Organisation"));
        QVERIFY(zed->copyMultiValue(kABPersonAddressProperty).isEmpty());
        QVERIFY(zed->copyMultiValue(kABPersonInstantMessageProperty).isEmpty());
    }

    void mailProgramFile()
    {
        TestEnvironment env;
        QCOMPARE(ldif_import(TestEnvironment::dataPath(QStringLiteral("ldif/thunderbird.ldif")), FieldFilter::Default, 0, nullptr), 2);
        ABAddressBookRef book = env.open();
        ABRecordRef jose = personNamed(*book, QStringLiteral("José"));
        QVERIFY(jose);
        QCOMPARE(jose->copyText(kABPersonLastNameProperty), QStringLiteral("Müller"));
        QCOMPARE(entries(jose, kABPersonEmailProperty),
                 (QStringList{kABOtherLabel + QStringLiteral("=jose@example.de"), kABWorkLabel + QStringLiteral("=jose@work.example")}));
        // The folded line is joined and CR LF line ends are dropped.
        QCOMPARE(entries(jose, kABPersonURLProperty).last(), kABHomeLabel + QStringLiteral("=https://home.example/jose"));
        // Mozilla's home attributes and the plain ones (its work address) stay two addresses.
        QCOMPARE(entries(jose, kABPersonAddressProperty),
                 (QStringList{kABHomeLabel + QStringLiteral("=City+Country+State+Street+ZIP:München"),
                              kABWorkLabel + QStringLiteral("=City+Country+Street+ZIP:Berlin")}));
        QCOMPARE(jose->copyMultiValue(kABPersonAddressProperty).copyValueAtIndex(0).toMap().value(kABPersonAddressStreetKey).toString(),
                 QStringLiteral("Straße 2"));
        QVERIFY(personNamed(*book, QStringLiteral("Lea")));
    }

    void lineRulesMaskAndMarker()
    {
        TestEnvironment env;
        const QByteArray text = "givenName: BeforeAnyEntry\n"
                                "dn: cn=A\n"
                                "# a comment\n"
                                "sn: Long\n"
                                " name\n"
                                "givenName: Ann\n"
                                "  title: two blanks start a new line\n"
                                "mobile: 1\n"
                                "mail: a@b\n"
                                "vnroGroup: G\n"
                                "street;Summer: ignored custom address of the generic schema\n"
                                "sn: Longname\n"
                                "\n"
                                "dn: cn=B\n"
                                "givenName: Bea";
        const QString path = write(env, text);
        QCOMPARE(ldif_import(path, FieldFilter::Marker | FieldFilter::Email, 0, nullptr), 2);
        ABAddressBookRef book = env.open();
        ABRecordRef ann = personNamed(*book, QStringLiteral("Ann"));
        QVERIFY(ann);
        QCOMPARE(ann->copyText(kABPersonLastNameProperty), QStringLiteral("Longname (*)"));
        QCOMPARE(ann->copyText(kABPersonJobTitleProperty), QStringLiteral("two blanks start a new line"));
        QVERIFY(ann->copyMultiValue(kABPersonPhoneProperty).isEmpty()); // phone bit off
        QVERIFY(ann->copyMultiValue(kABPersonAddressProperty).isEmpty());
        QCOMPARE(ann->copyMultiValue(kABPersonEmailProperty).count(), 1);
        QVERIFY(book->copyArrayOfAllGroups().isEmpty()); // groups bit off
        // The last entry, without a line end, is read too and gets the marker alone.
        ABRecordRef bea = personNamed(*book, QStringLiteral("Bea"));
        QVERIFY(bea);
        QCOMPARE(bea->copyText(kABPersonLastNameProperty), QStringLiteral(" (*)"));
        QVERIFY(!personNamed(*book, QStringLiteral("BeforeAnyEntry")));
    }

    void linesLongerThanAReadBlock()
    {
        TestEnvironment env;
        // A note of 2.5 MB spans three read blocks; the entries around it stay whole.
        const QByteArray note(5 * 512 * 1024 + 7, 'n');
        const QString path = write(env, "dn: cn=Ana\ncn: Ana\ngivenName: Ana\ndescription: " + note
                                            + "\n\ndn: cn=Bia\ncn: Bia\ngivenName: Bia\n\n");
        QCOMPARE(ldif_import(path, FieldFilter::Default, 0, nullptr), 2);
        ABAddressBookRef book = env.open();
        QCOMPARE(personNamed(*book, QStringLiteral("Ana"))->copyText(kABPersonNoteProperty).size(), note.size());
        QVERIFY(personNamed(*book, QStringLiteral("Bia")));
    }

    void failedSaveIsAnError()
    {
        TestEnvironment env;
        const QString path = write(env, "dn: cn=Ana\ncn: Ana\nsn: Silva\nvnroGroup: Club\n\n");
        env.open();
        ABConnection::setBusyTimeoutMs(50);
        // Another program holds the write lock for longer than the import waits.
        auto blocker = ABConnection::open(env.addressBookPath(), false);
        QVERIFY(blocker && (*blocker)->exec("BEGIN EXCLUSIVE"));
        const int answer = ldif_import(path, FieldFilter::Default, 0, nullptr);
        QVERIFY((*blocker)->exec("ROLLBACK"));
        ABConnection::setBusyTimeoutMs(5000);
        QCOMPARE(answer, ImportOutcome::kAddressBookBusy);
        QCOMPARE(env.open()->personCount(), 0);
        QVERIFY(env.open()->copyArrayOfAllGroups().isEmpty());
    }

    void nothingToRead()
    {
        TestEnvironment env;
        QCOMPARE(ldif_import(env.path(QStringLiteral("missing.ldif")), FieldFilter::Default, 0, nullptr), -1);
        CountingTarget target;
        QCOMPARE(ldif_import(TestEnvironment::dataPath(QStringLiteral("broken/no_dn.ldif")), FieldFilter::Default, 0, &target), 0);
        QCOMPARE(target.saving, 0);
        QCOMPARE(env.open()->personCount(), 0);
    }

    void brokenInputsImportWhatTheyCan()
    {
        TestEnvironment env;
        // Truncated and bad base64 lines are skipped; the rest of each entry stays.
        QCOMPARE(ldif_import(TestEnvironment::dataPath(QStringLiteral("broken/truncated_base64.ldif")), FieldFilter::Default, 0, nullptr), 3);
        ABAddressBookRef book = env.open();
        QVERIFY(personNamed(*book, QStringLiteral("Ann")));
        QVERIFY(personNamed(*book, QStringLiteral("Car")));
        // A value that is not UTF-8 is skipped, not stored as garbage.
        QCOMPARE(ldif_import(TestEnvironment::dataPath(QStringLiteral("broken/invalid_utf8.ldif")), FieldFilter::Default, 0, nullptr), 1);
        ABRecordRef good = personNamed(*env.open(), QStringLiteral("Good"));
        QVERIFY(good && good->copyText(kABPersonLastNameProperty).isEmpty());

        const QDir broken(TestEnvironment::dataPath(QStringLiteral("broken")));
        for (const QString &name : broken.entryList({QStringLiteral("*.ldif")}, QDir::Files))
            QVERIFY2(ldif_import(broken.filePath(name), FieldFilter::Default, 0, nullptr) >= 0, qPrintable(name));

        // One 10 MB line, inside an entry and alone.
        QByteArray huge(10 * 1024 * 1024, 'x');
        QCOMPARE(ldif_import(write(env, "dn: cn=H\ngivenName: Huge\ndescription: " + huge + "\n"), FieldFilter::Default, 0, nullptr), 1);
        QCOMPARE(personNamed(*env.open(), QStringLiteral("Huge"))->copyText(kABPersonNoteProperty).size(), huge.size());
        QCOMPARE(ldif_import(write(env, huge), FieldFilter::Default, 0, nullptr), 0);
    }
};

QTEST_GUILESS_MAIN(LdifReaderTest)
#include "ldifreader_test.moc"
