#include "TestEnvironment.h"
#include "addressbook/ABContact.h"
#include "addressbook/ABSources.h"
#include "addressbook/EntryData.h"
#include "platform/DevLog.h"

#include <QTest>

namespace {

// Collects developer log lines while it lives.
struct LogCapture {
    QStringList lines;
    LogCapture() { DevLog::setSink([this](const QString &line) { lines.append(line); }); }
    ~LogCapture() { DevLog::setSink({}); }
};

ABRecordRef person(const QString &first, const QString &last, const QString &organization = QString())
{
    ABRecordRef record = ABRecord::createPerson();
    if (!first.isNull())
        record->setValue(kABPersonFirstNameProperty, first);
    if (!last.isNull())
        record->setValue(kABPersonLastNameProperty, last);
    if (!organization.isNull())
        record->setValue(kABPersonOrganizationProperty, organization);
    return record;
}

} // namespace

class RecordsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void listRowRule()
    {
        LogCapture log;
        EntryList rows;
        EntryData::appendRow(rows, *person(QString(), QString(), QStringLiteral("Acme")), 1, true);
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0]->name, QStringLiteral("Acme"));
        QCOMPARE(rows[0]->lastname, QStringLiteral("Acme"));

        EntryData::appendRow(rows, *person(QStringLiteral("Anna"), QString()), 2, false);
        QCOMPARE(rows[1]->lastname, QStringLiteral("Anna"));
        QCOMPARE(rows[1]->selected, false);
        QCOMPARE(rows[1]->recID, 2);

        EntryData::appendRow(rows, *person(QString(), QString()), 3, true);
        QCOMPARE(rows.size(), 2);
        QVERIFY(log.lines.contains(QStringLiteral("EMPTY")));
        QCOMPARE(rows[0]->description(), QStringLiteral("Name: Acme lName: Acme"));
        QCOMPARE(rows[0]->sourceType, -1);
    }

    void dictionariesOfMultiValues()
    {
        LogCapture log;
        ABContactRef contact = ABContact::contact();
        ABMultiValue phones(kABMultiStringPropertyType);
        phones.addValueAndLabel(QStringLiteral("1"), kABPersonPhoneMobileLabel);
        phones.addValueAndLabel(QStringLiteral("2"), std::nullopt);
        phones.addValueAndLabel(QStringLiteral("3"), kABHomeLabel);
        contact->record()->setValue(kABPersonPhoneProperty, QVariant::fromValue(phones));

        const QList<QVariantMap> dictionaries = contact->phoneDictionaries();
        QCOMPARE(dictionaries.size(), 3);
        QCOMPARE(dictionaries[1].value(QStringLiteral("label")).toString(), QString());
        QCOMPARE(dictionaries[1].value(QStringLiteral("value")).toString(), QStringLiteral("2"));
        QCOMPARE(contact->phoneLabels(), (QStringList{kABPersonPhoneMobileLabel, QString(), kABHomeLabel}));
        QVERIFY(log.lines.contains(QStringLiteral("No label for propID: 3")));

        QVERIFY(contact->setEmailDictionaries({{{QStringLiteral("value"), QStringLiteral("a@x")}, {QStringLiteral("label"), kABWorkLabel}},
                                               {{QStringLiteral("value"), QStringLiteral("b@x")}}}));
        ABMultiValue emails = contact->record()->copyMultiValue(kABPersonEmailProperty);
        QCOMPARE(emails.count(), 2);
        QCOMPARE(emails.copyLabelAtIndex(0), std::optional<QString>(kABWorkLabel));
        QCOMPARE(emails.copyLabelAtIndex(1), std::nullopt);
        QVERIFY(contact->urlDictionaries().isEmpty());
        QVERIFY(contact->urlArray().isEmpty());
    }

    void singleValuesAndImage()
    {
        ABContactRef contact = ABContact::contact();
        QVERIFY(contact->setNickname(QStringLiteral("Ann")));
        QCOMPARE(contact->nickname(), QStringLiteral("Ann"));
        QVERIFY(contact->setNickname(QString()));
        QVERIFY(contact->nickname().isNull());
        QImage image(4, 3, QImage::Format_RGB32);
        image.fill(Qt::red);
        QVERIFY(contact->setImage(image));
        QVERIFY(contact->hasImage());
        QCOMPARE(contact->image().size(), QSize(4, 3));
        QVERIFY(contact->setImage(QImage()));
        QVERIFY(!contact->hasImage());
    }

    void contactWithRecordIDFindsSavedPeople()
    {
        TestEnvironment env;
        ABAddressBookRef book = env.open();
        ABRecordRef anna = person(QStringLiteral("Anna"), QStringLiteral("Silva"));
        book->addRecord(anna);
        QVERIFY(book->save());
        ABContactRef contact = ABContact::contactWithRecordID(anna->recordID());
        QVERIFY(contact);
        QCOMPARE(contact->firstname(), QStringLiteral("Anna"));
        QVERIFY(contact->isPerson());
        QVERIFY(!ABContact::contactWithRecordID(9999));
    }

    void sourceChoicesSkipSearchSources()
    {
        TestEnvironment env;
        ABAddressBookRef book = env.open();
        book->addSource(kABSourceTypeExchange, QStringLiteral("Work"));
        book->addSource(kABSourceTypeExchangeGAL, QStringLiteral("Directory"));
        book->addSource(kABSourceTypeCardDAVSearch, QStringLiteral("Search"));
        book->addSource(kABSourceTypeCardDAV, QStringLiteral("iCloud"));
        book->addSource(77, QStringLiteral("Odd"));
        QCOMPARE(ABSources::choiceCount(), 5);
        QStringList names;
        for (int i = 0; i < ABSources::choiceCount(); ++i)
            names.append(ABSources::choiceName(i));
        QCOMPARE(names, (QStringList{QStringLiteral("All"), QStringLiteral("On my device"), QStringLiteral("Exchange server"),
                                     QStringLiteral("CardDAV server"), QStringLiteral("77")}));
        QVERIFY(!ABSources::selectedSourceIsExchange());
        ABSources::setSelectedIndex(2);
        QVERIFY(ABSources::selectedSourceIsExchange());
        ABSources::setSelectedIndex(3);
        QVERIFY(!ABSources::selectedSourceIsExchange());
    }

    void workingSetAndGroupsFollowTheChosenSource()
    {
        TestEnvironment env;
        ABAddressBookRef book = env.open();
        ABRecordRef exchange = book->addSource(kABSourceTypeExchange, QStringLiteral("Work"));
        ABRecordRef local = person(QStringLiteral("Local"), QStringLiteral("Person"));
        ABRecordRef remote = ABRecord::createPerson(exchange);
        remote->setValue(kABPersonFirstNameProperty, QStringLiteral("Remote"));
        book->addRecord(local);
        book->addRecord(remote);
        QVERIFY(book->save());

        ABAddressBookRef work = ABSources::openAddressBook("test");
        QCOMPARE(ABSources::peopleToWorkOn(*work).size(), 2);
        QVERIFY(ABSources::addGroupByName(*work, QStringLiteral("Everyone")));
        QVERIFY(work->save());
        QCOMPARE(work->copyArrayOfAllGroups().first()->sourceID(), work->copyDefaultSource()->recordID());

        ABSources::setSelectedIndex(2); // the Exchange source
        ABAddressBookRef chosen = ABSources::openAddressBook("test");
        QList<ABRecordRef> people = ABSources::peopleToWorkOn(*chosen);
        QCOMPARE(people.size(), 1);
        QCOMPARE(people.first()->copyText(kABPersonFirstNameProperty), QStringLiteral("Remote"));
        QVERIFY2(!ABSources::groupExists(*chosen, QStringLiteral("Everyone")), "groups of other sources are not worked on");
        QVERIFY(ABSources::addGroupByName(*chosen, QStringLiteral("Team")));
        QVERIFY(chosen->save());
        QCOMPARE(ABSources::findGroupByName(*chosen, QStringLiteral("Team"))->sourceID(), exchange->recordID());
        QCOMPARE(ABSources::createPerson(*chosen)->sourceID(), exchange->recordID());
    }

    void groupLookupIsCaseSensitiveAndAddsMembers()
    {
        TestEnvironment env;
        LogCapture log;
        ABAddressBookRef book = ABSources::openAddressBook("test");
        QVERIFY(ABSources::addGroupByName(*book, QStringLiteral("Friends")));
        ABRecordRef anna = person(QStringLiteral("Anna"), QStringLiteral("Silva"));
        book->addRecord(anna);
        QVERIFY(book->save());
        QVERIFY(!ABSources::findGroupByName(*book, QStringLiteral("friends")));
        QCOMPARE(ABSources::addPersonToGroupByName(*book, anna, QStringLiteral("friends")), 0);
        QVERIFY(log.lines.contains(QStringLiteral("addPersonToGroup group friends  NOT FOUND")));
        ABSources::addPersonToGroupByName(*book, anna, QStringLiteral("Friends"));
        QVERIFY(book->save());
        ABAddressBookRef reader = env.open();
        QList<ABRecordRef> members = reader->copyArrayOfAllGroups().first()->copyArrayOfAllMembers();
        QCOMPARE(members.size(), 1);
        QCOMPARE(members.first()->recordID(), anna->recordID());
    }

    void noAddressBookMeansNoChoices()
    {
        TestEnvironment env;
        LogCapture log;
        ABAddressBook::setDefaultPath(env.path(QStringLiteral("missing-folder-file/../../nope\x01/x.db")));
        QFile blocker(env.path(QStringLiteral("blocker")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        ABAddressBook::setDefaultPath(env.path(QStringLiteral("blocker/x.db")));
        QCOMPARE(ABSources::choiceCount(), 0);
        QVERIFY(log.lines.contains(QStringLiteral("internal_sourceNames ABCreate error")));
        ABAddressBook::setDefaultPath(env.addressBookPath());
    }
};

QTEST_GUILESS_MAIN(RecordsTest)
#include "records_test.moc"
