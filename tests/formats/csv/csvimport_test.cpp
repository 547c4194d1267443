#include "support/RecordingUiHost.h"
#include "support/BookQueries.h"
#include "support/TestEnvironment.h"
#include "addressbook/ABConnection.h"
#include "addressbook/ABSources.h"
#include "addressbook/PersonJson.h"
#include "formats/common/ImportOutcome.h"
#include "formats/csv/CSVimport.h"
#include "importing/CSVHeaderDelegate.h"
#include "importing/CSVHeaderViewController.h"
#include "shell/AppData.h"

#include <QFile>
#include <QSignalSpy>
#include <QTest>

using BookQueries::groupsOf;
using BookQueries::personNamed;

namespace {

std::shared_ptr<CSVimport> importerFor(const TestEnvironment &env, const QByteArray &text, int charSet = 0)
{
    QFile file(env.path(QStringLiteral("in.csv")));
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
        return nullptr;
    file.close();
    Result<std::shared_ptr<CSVimport>> loaded = CSVimport::fromFile(file.fileName(), charSet);
    return loaded ? *loaded : nullptr;
}

std::shared_ptr<CSVimport> sample(const QString &name)
{
    Result<std::shared_ptr<CSVimport>> loaded = CSVimport::fromFile(TestEnvironment::dataPath(QStringLiteral("csv/") + name), 0);
    return loaded ? *loaded : nullptr;
}



QStringList values(const ABRecordRef &person, ABPropertyID property)
{
    QStringList list;
    for (const QVariant &value : person->copyMultiValue(property).copyArrayOfAllValues())
        list.append(value.toString());
    return list;
}

struct Delegate : CSVHeaderDelegate {
    int started = 0;
    void beginImportCSV() override { ++started; }
};

// The mapping screen over a CSV text, shown on a recording host; the test owns the screen.
struct MappingScreen {
    TestEnvironment env;
    RecordingUiHost host;
    Delegate delegate;
    CSVHeaderViewController screen;

    explicit MappingScreen(const QByteArray &csv)
    {
        screen.setDelegate(&delegate);
        screen.setImporter(importerFor(env, csv));
        host.push(&screen);
        screen.bCanRelease = false;
    }
};

} // namespace

class CSVImportTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void automaticMapping_data()
    {
        QTest::addColumn<QString>("header");
        QTest::addColumn<int>("field");
        QTest::newRow("firstname") << "firstname" << int(CSVimport::FirstName);
        QTest::newRow("phone before PhoneticFirstName") << "phone" << int(CSVimport::Phone);
        QTest::newRow("zipcode") << "ZipCode" << int(CSVimport::AddressZIPcode);
        QTest::newRow("title") << "title" << int(CSVimport::JobTitle);
        QTest::newRow("Name") << "Name" << int(CSVimport::FirstName);
        QTest::newRow("empty") << "" << -1;
        QTest::newRow("unknown") << "First Name" << -1;
    }
    void automaticMapping()
    {
        QFETCH(QString, header);
        QFETCH(int, field);
        QCOMPARE(CSVimport::automaticMapping(header), field);
    }

    void ourWriterMapsCompletelyAndImports()
    {
        TestEnvironment env;
        AppData::sharedInstance().setAddMarker(1);
        std::shared_ptr<CSVimport> importer = sample(QStringLiteral("ourwriter.csv"));
        QVERIFY(importer);
        QVERIFY(importer->areAllFieldsAssigned());
        QCOMPARE(importer->importWithTagert(nullptr, AppData::sharedInstance().importMask()), 2);

        ABAddressBookRef book = env.open();
        ABRecordRef tiago = personNamed(*book, QStringLiteral("Moura (*)"));
        QVERIFY(tiago);
        QCOMPARE(values(tiago, kABPersonPhoneProperty), (QStringList{QStringLiteral("+351 91 222 0001"), QStringLiteral("+351 21 222 0002")}));
        QCOMPARE(tiago->copyMultiValue(kABPersonPhoneProperty).copyLabelAtIndex(1), std::optional<QString>(kABOtherLabel));
        QCOMPARE(tiago->copyText(kABPersonNoteProperty), QStringLiteral("Diz \"olá\" sempre"));
        QCOMPARE(tiago->copyValue(kABPersonBirthdayProperty).toDateTime().date(), QDate(1970, 7, 7));
        QCOMPARE(tiago->copyMultiValue(kABPersonInstantMessageProperty).copyValueAtIndex(0).toMap().value(kABPersonInstantMessageServiceKey).toString(),
                 kABPersonInstantMessageServiceYahoo);
        // Repeated address columns make two addresses, both "other".
        ABMultiValue addresses = tiago->copyMultiValue(kABPersonAddressProperty);
        QCOMPARE(addresses.count(), 2);
        QCOMPARE(addresses.copyValueAtIndex(1).toMap().value(kABPersonAddressCityKey).toString(), QStringLiteral("Beja"));
        QCOMPARE(addresses.copyLabelAtIndex(1), std::optional<QString>(kABOtherLabel));
        QCOMPARE(groupsOf(*book, tiago), QStringList{QStringLiteral("Família")});
        QVERIFY(personNamed(*book, QStringLiteral("Anónimo (*)")));
    }

    void mailProgramSamplesWithGuess()
    {
        TestEnvironment env;
        std::shared_ptr<CSVimport> outlook = sample(QStringLiteral("outlook.csv"));
        QVERIFY(outlook);
        // The byte-order mark is not part of the first name.
        QCOMPARE(outlook->csvheader().first(), QStringLiteral("0000 First Name"));
        QCOMPARE(outlook->mappings().at(0), -1);
        const int titleColumn = 3; // "Title" is placed by the automatic mapping and stays
        QCOMPARE(outlook->mappings().at(titleColumn), int(CSVimport::JobTitle));
        QVERIFY(outlook->guessUnmapped() > 15);
        QCOMPARE(outlook->mappings().at(titleColumn), int(CSVimport::JobTitle));
        QCOMPARE(outlook->mappings().at(0), int(CSVimport::FirstName));
        QCOMPARE(outlook->mappings().at(2), int(CSVimport::LastName));
        QCOMPARE(outlook->countUnAssigned(), 1); // "E-mail Display Name"
        QCOMPARE(outlook->importWithTagert(nullptr, FieldFilter::Default), 2);

        ABAddressBookRef book = env.open();
        ABRecordRef marta = personNamed(*book, QStringLiteral("Costa"));
        QVERIFY(marta);
        QCOMPARE(marta->copyText(kABPersonFirstNameProperty), QStringLiteral("Marta"));
        QCOMPARE(values(marta, kABPersonEmailProperty), QStringList{QStringLiteral("marta@nortada.example")});
        QCOMPARE(values(marta, kABPersonPhoneProperty).size(), 3);
        QCOMPARE(marta->copyText(kABPersonNoteProperty), QStringLiteral("Prefere \"e-mail\", nunca fax"));
        ABMultiValue addresses = marta->copyMultiValue(kABPersonAddressProperty);
        QCOMPARE(addresses.count(), 2);
        QCOMPARE(addresses.copyValueAtIndex(1).toMap().value(kABPersonAddressStreetKey).toString(),
                 QStringLiteral("Rua de Casa 7\r\n2.º Esq."));
        QCOMPARE(groupsOf(*book, marta), QStringList{QStringLiteral("Clientes")});

        std::shared_ptr<CSVimport> google = sample(QStringLiteral("google.csv"));
        QVERIFY(google);
        google->guessUnmapped();
        QCOMPARE(google->importWithTagert(nullptr, FieldFilter::Default), 1);
        ABRecordRef ines = personNamed(*env.open(), QStringLiteral("Rocha"));
        QVERIFY(ines);
        QCOMPARE(ines->copyText(kABPersonOrganizationProperty), QStringLiteral("Escola Azul"));
        QCOMPARE(values(ines, kABPersonPhoneProperty), (QStringList{QStringLiteral("+351 91 111 1111"), QStringLiteral("+351 21 111 1112")}));
    }

    // Rows are written straight into the stored form: the person must be the one the value
    // calls of the record make of the same fields.
    void rowIsThePersonItsValuesMake()
    {
        TestEnvironment env;
        std::shared_ptr<CSVimport> importer = importerFor(
            env, "firstname,firstname,lastname,note,phone,email,phone,url,birthday,date,date,street,city,city,zipcode,"
                 "instantmessage,instantmessage,nickname,prefix\n"
                 "Ana,Bea,Lima,\"two\nlines\",+1 1,a@b.example,+2 2,https://x.example,1980-02-03,2001-02-03,nodate,"
                 "Rua 1,Faro,Beja,8000,ana (Yahoo),nobody,Bia,Dr.\n");
        QVERIFY(importer);
        QCOMPARE(importer->importWithTagert(nullptr, FieldFilter::Default | FieldFilter::Marker), 1);
        ABRecordRef imported = personNamed(*env.open(), QStringLiteral("Lima (*)"));
        QVERIFY(imported);

        ABRecordRef expected = ABRecord::createPerson();
        auto multi = [](ABPropertyType type, const QVariantList &values) {
            ABMultiValue multi(type);
            for (const QVariant &value : values)
                multi.addValueAndLabel(value, kABOtherLabel);
            return QVariant::fromValue(multi);
        };
        auto day = [](int y, int m, int d) { return QDateTime(QDate(y, m, d), QTime(12, 0), Qt::UTC); };
        expected->setValue(kABPersonFirstNameProperty, QStringLiteral("Bea"));
        expected->setValue(kABPersonLastNameProperty, QStringLiteral("Lima (*)"));
        expected->setValue(kABPersonNoteProperty, QStringLiteral("two\nlines"));
        expected->setValue(kABPersonNicknameProperty, QStringLiteral("Bia"));
        expected->setValue(kABPersonPrefixProperty, QStringLiteral("Dr."));
        expected->setValue(kABPersonBirthdayProperty, day(1980, 2, 3));
        expected->setValue(kABPersonPhoneProperty, multi(kABMultiStringPropertyType, {QStringLiteral("+1 1"), QStringLiteral("+2 2")}));
        expected->setValue(kABPersonEmailProperty, multi(kABMultiStringPropertyType, {QStringLiteral("a@b.example")}));
        expected->setValue(kABPersonURLProperty, multi(kABMultiStringPropertyType, {QStringLiteral("https://x.example")}));
        expected->setValue(kABPersonDateProperty, multi(kABMultiDateTimePropertyType, {day(2001, 2, 3)}));
        // A part met twice starts the next address.
        expected->setValue(kABPersonAddressProperty,
                           multi(kABMultiDictionaryPropertyType,
                                 {QVariantMap{{kABPersonAddressStreetKey, QStringLiteral("Rua 1")}, {kABPersonAddressCityKey, QStringLiteral("Faro")}},
                                  QVariantMap{{kABPersonAddressCityKey, QStringLiteral("Beja")}, {kABPersonAddressZIPKey, QStringLiteral("8000")}}}));
        expected->setValue(kABPersonInstantMessageProperty,
                           multi(kABMultiDictionaryPropertyType,
                                 {QVariantMap{{kABPersonInstantMessageServiceKey, kABPersonInstantMessageServiceYahoo},
                                              {kABPersonInstantMessageUsernameKey, QStringLiteral("ana")}}}));
        QCOMPARE(PersonJson::toJson(imported, {}), PersonJson::toJson(expected, {}));
    }

    void rowRules()
    {
        TestEnvironment env;
        // Row 2 is short: not added, and its group must not be made a member of anything.
        std::shared_ptr<CSVimport> importer = importerFor(
            env, "lastname,city,zipcode,group,birthday\nA,Faro,,Team,1999-13-40\nB,Elvas\nC,,,Team,2001-02-03\n");
        QVERIFY(importer);
        QCOMPARE(importer->importWithTagert(nullptr, FieldFilter::Default | FieldFilter::Marker), 2);
        ABAddressBookRef book = env.open();
        QCOMPARE(book->personCount(), 2);
        ABRecordRef a = personNamed(*book, QStringLiteral("A (*)"));
        QVERIFY(a);
        QCOMPARE(a->copyMultiValue(kABPersonAddressProperty).count(), 1); // city alone still makes one
        QVERIFY(!a->copyValue(kABPersonBirthdayProperty).isValid());
        QCOMPARE(book->copyArrayOfAllGroups().size(), 1);
        QCOMPARE(book->copyArrayOfAllGroups().first()->copyArrayOfAllMembers().size(), 2);

        // The filter drops families; a row without last name gets no marker.
        std::shared_ptr<CSVimport> filtered = importerFor(env, "firstname,lastname,phone\nNoLast,,123\n");
        QCOMPARE(filtered->importWithTagert(nullptr, FieldFilter::Marker), 1);
        ABRecordRef noLast = env.open()->copyArrayOfAllPeople().last();
        QCOMPARE(noLast->copyText(kABPersonFirstNameProperty), QStringLiteral("NoLast"));
        QVERIFY(noLast->copyText(kABPersonLastNameProperty).isEmpty());
        QVERIFY(noLast->copyMultiValue(kABPersonPhoneProperty).isEmpty());
    }

    void manyRowsJoinTheirGroupsInOrder()
    {
        TestEnvironment env;
        // More rows than the address book holds back before writing them, read in batches:
        // members written early join by identifier, the rest as records, all in row order, and
        // short rows among them are left out.
        QByteArray csv("lastname,group\n");
        for (int i = 0; i < 2500; ++i) {
            csv += "P" + QByteArray::number(i) + (i % 2 ? ",Odd\n" : ",Even\n");
            if (i % 97 == 50)
                csv += "Short\n";
        }
        std::shared_ptr<CSVimport> importer = importerFor(env, csv);
        QVERIFY(importer);
        QCOMPARE(importer->importWithTagert(nullptr, FieldFilter::Default), 2500);
        ABAddressBookRef book = env.open();
        const QList<ABRecordRef> people = book->copyArrayOfAllPeople();
        QCOMPARE(people.size(), 2500);
        for (int i = 0; i < people.size(); ++i)
            QCOMPARE(people[i]->copyText(kABPersonLastNameProperty), QStringLiteral("P%1").arg(i));
        for (const ABRecordRef &group : book->copyArrayOfAllGroups()) {
            const QList<ABRecordRef> members = group->copyArrayOfAllMembers();
            QCOMPARE(members.size(), 1250);
            const int first = group->copyText(kABGroupNameProperty) == QLatin1String("Odd") ? 1 : 0;
            for (int i = 0; i < members.size(); i += 211)
                QCOMPARE(members[i]->copyText(kABPersonLastNameProperty), QStringLiteral("P%1").arg(first + 2 * i));
            QCOMPARE(members.last()->copyText(kABPersonLastNameProperty), QStringLiteral("P%1").arg(first + 2498));
        }
        QCOMPARE(book->copyArrayOfAllGroups().size(), 2);
    }

    // A group the book already has keeps its members and takes the new ones after them.
    void rowsJoinAGroupTheBookAlreadyHas()
    {
        TestEnvironment env;
        std::shared_ptr<CSVimport> first = importerFor(env, "lastname,group\nOld,Club\n");
        QVERIFY(first);
        QCOMPARE(first->importWithTagert(nullptr, FieldFilter::Default), 1);
        std::shared_ptr<CSVimport> second = importerFor(env, "lastname,group\nNew1,Club\nNew2,Club\nNew3,Band\n");
        QVERIFY(second);
        QCOMPARE(second->importWithTagert(nullptr, FieldFilter::Default), 3);
        ABAddressBookRef book = env.open();
        QCOMPARE(book->copyArrayOfAllGroups().size(), 2);
        QStringList members;
        for (const ABRecordRef &member : ABSources::findGroupByName(*book, QStringLiteral("Club"))->copyArrayOfAllMembers())
            members.append(member->copyText(kABPersonLastNameProperty));
        QCOMPARE(members, (QStringList{QStringLiteral("Old"), QStringLiteral("New1"), QStringLiteral("New2")}));
    }

    void failedSaveIsAnError()
    {
        TestEnvironment env;
        std::shared_ptr<CSVimport> importer = importerFor(env, "lastname,group\nSilva,Club\n");
        QVERIFY(importer);
        env.open();
        ABConnection::setBusyTimeoutMs(50);
        // Another program holds the write lock for longer than the import waits.
        auto blocker = ABConnection::open(env.addressBookPath(), false);
        QVERIFY(blocker && (*blocker)->exec("BEGIN EXCLUSIVE"));
        const int answer = importer->importWithTagert(nullptr, FieldFilter::Default);
        QVERIFY((*blocker)->exec("ROLLBACK"));
        ABConnection::setBusyTimeoutMs(5000);
        QCOMPARE(answer, ImportOutcome::kAddressBookBusy);
        QCOMPARE(env.open()->personCount(), 0);
        QVERIFY(env.open()->copyArrayOfAllGroups().isEmpty());
    }

    void missingHeaderAndEncoding()
    {
        TestEnvironment env;
        for (const char *name : {"broken/empty.csv", "broken/no_header.csv"}) {
            Result<std::shared_ptr<CSVimport>> loaded = CSVimport::fromFile(TestEnvironment::dataPath(QString::fromLatin1(name)), 0);
            QVERIFY(!loaded);
            QCOMPARE(loaded.error(), QStringLiteral("Missing CSV header."));
        }
        QVERIFY(!CSVimport::fromFile(env.path(QStringLiteral("nothing.csv")), 0));
        QVERIFY(!importerFor(env, "name\n\xe9mile\n", 0));
        std::shared_ptr<CSVimport> latin = importerFor(env, "lastname\n\xc9mile\n", 1);
        QVERIFY(latin);
        QCOMPARE(latin->importWithTagert(nullptr, FieldFilter::Default), 1);
        QCOMPARE(env.open()->copyArrayOfAllPeople().first()->copyText(kABPersonLastNameProperty), QStringLiteral("Émile"));
    }

    void mappingScreen()
    {
        MappingScreen fixture("Email,Whatever\na@b.example,x\n");
        auto &[env, host, delegate, screen] = fixture;

        QCOMPARE(screen.title(), QStringLiteral("CSV header"));
        QCOMPARE(screen.rowCount(), 2);
        QCOMPARE(screen.sectionTitle(), QStringLiteral("CSV header fields mapping"));
        QCOMPARE(screen.footerText(), QStringLiteral("1 of 2 mapped"));
        QCOMPARE(screen.rowDetail(0), QStringLiteral("mapped to: Email"));
        QCOMPARE(screen.rowDetail(1), QStringLiteral("not mapped"));
        QCOMPARE(screen.rightButtonTitle(), QStringLiteral("Import"));

        // 1 of 2 mapped asks first; "No" keeps the screen.
        host.answers.enqueue(0);
        screen.rightButtonPressed();
        QCOMPARE(host.lastText(), QStringLiteral("Some fields are not mapped and will be lost.\n\nImport anyway?"));
        QCOMPARE(host.alerts.last().buttons, (QStringList{QStringLiteral("No"), QStringLiteral("Yes")}));
        QCOMPARE(delegate.started, 0);

        // Tap a column, cancel, then tap it again and pick a field.
        screen.didSelectRow(1);
        QVERIFY(screen.isShowingFields() && screen.isBackButtonHidden());
        QCOMPARE(screen.rowCount(), 24);
        QCOMPARE(screen.sectionTitle(), QStringLiteral("Map \"Whatever\" to"));
        QCOMPARE(screen.rightButtonTitle(), QStringLiteral("Cancel"));
        screen.rightButtonPressed();
        QVERIFY(!screen.isShowingFields());
        QCOMPARE(screen.rowDetail(1), QStringLiteral("not mapped"));
        screen.didSelectRow(1);
        QSignalSpy scrolled(&screen, &CSVHeaderViewController::scrollToRow);
        screen.didSelectRow(CSVimport::Note);
        QCOMPARE(scrolled.takeFirst().at(0).toInt(), 1);
        QCOMPARE(screen.footerText(), QStringLiteral("2 of 2 mapped"));

        screen.rightButtonPressed();
        QCOMPARE(delegate.started, 1);
        QVERIFY(host.stack.isEmpty());
    }

    void mappingScreenNothingMappedAndGuess()
    {
        MappingScreen fixture("First Name,Foo\nA,B\n");
        auto &[env, host, delegate, screen] = fixture;
        screen.rightButtonPressed();
        QCOMPARE(host.lastTitle(), QStringLiteral("Error"));
        QCOMPARE(host.lastText(), QStringLiteral("At least one field must be mapped."));
        screen.guessPressed();
        QCOMPARE(screen.rowDetail(0), QStringLiteral("mapped to: FirstName"));
        QCOMPARE(screen.footerText(), QStringLiteral("1 of 2 mapped"));
        host.answers.enqueue(1);
        screen.rightButtonPressed();
        QCOMPARE(delegate.started, 1);
    }
};

QTEST_GUILESS_MAIN(CSVImportTest)
#include "csvimport_test.moc"
