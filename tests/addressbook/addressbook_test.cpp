#include "TestEnvironment.h"
#include "addressbook/ABAddressBook.h"
#include "addressbook/ABConnection.h"

#include <QFile>
#include <QTest>

#include <thread>

namespace {

ABRecordRef makePerson(const QString &first, const QString &last)
{
    ABRecordRef person = ABRecord::createPerson();
    person->setValue(kABPersonFirstNameProperty, first);
    person->setValue(kABPersonLastNameProperty, last);
    return person;
}

ABRecordID addSaved(ABAddressBook &book, const QString &first, const QString &last)
{
    ABRecordRef person = makePerson(first, last);
    book.addRecord(person);
    if (!book.save())
        return kABRecordInvalidID;
    return person->recordID();
}

} // namespace

class AddressBookTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void newDatabaseHasOneLocalDefaultSource()
    {
        TestEnvironment env;
        ABAddressBookRef book = env.open();
        QVERIFY(book);
        QList<ABRecordRef> sources = book->copyArrayOfAllSources();
        QCOMPARE(sources.size(), 1);
        QCOMPARE(sources.first()->copyValue(kABSourceTypeProperty).toInt(), kABSourceTypeLocal);
        QCOMPARE(book->copyDefaultSource(), sources.first());
        QCOMPARE(book->personCount(), 0);
        QCOMPARE(ABAddressBook::authorizationStatus(), kABAuthorizationStatusAuthorized);
    }

    void identifiersStayValidAcrossHandlesAndDeletes()
    {
        TestEnvironment env;
        ABAddressBookRef book = env.open();
        ABRecordID anna = addSaved(*book, QStringLiteral("Anna"), QStringLiteral("Silva"));
        ABRecordID bert = addSaved(*book, QStringLiteral("Bert"), QStringLiteral("Costa"));
        QVERIFY(anna > 0 && bert > anna);
        QVERIFY(book->removeRecord(book->personWithRecordID(anna)));
        QVERIFY(book->save());
        ABRecordID carl = addSaved(*book, QStringLiteral("Carl"), QStringLiteral("Rocha"));
        QVERIFY2(carl != anna, "identifiers of deleted records are never reused");

        ABAddressBookRef later = env.open();
        QVERIFY(!later->personWithRecordID(anna));
        QCOMPARE(later->personWithRecordID(bert)->copyText(kABPersonFirstNameProperty), QStringLiteral("Bert"));
        QCOMPARE(later->personWithRecordID(carl)->copyCompositeName(), QStringLiteral("Carl Rocha"));
        QVERIFY2(!later->groupWithRecordID(bert), "a person is not found as a group");
    }

    // Large additions are inserted many rows at a time with identifiers worked out ahead: they
    // must be the ones the table would give row by row, each on its own person, and an address
    // book whose identifiers are used up must refuse the addition whole.
    void largeAdditionsTakeTheNextIdentifiersInOrder()
    {
        TestEnvironment env;
        ABAddressBookRef book = env.open();
        addSaved(*book, QStringLiteral("Anna"), QStringLiteral("Silva"));
        const ABRecordID bert = addSaved(*book, QStringLiteral("Bert"), QStringLiteral("Costa"));
        QVERIFY(book->removeRecord(book->personWithRecordID(bert)));
        QVERIFY(book->save());
        // Past one block written ahead of the save (1,000), in statements of many rows and of one.
        QList<ABRecordRef> added;
        for (int i = 0; i < 1100; ++i) {
            added.append(makePerson(QStringLiteral("P%1").arg(i), QStringLiteral("Many")));
            QVERIFY(book->addRecord(added.last()));
        }
        QVERIFY(book->save());
        ABAddressBookRef later = env.open();
        for (int i = 0; i < added.size(); ++i) {
            QCOMPARE(added[i]->recordID(), bert + 1 + i);
            QCOMPARE(later->personWithRecordID(bert + 1 + i)->copyText(kABPersonFirstNameProperty), QStringLiteral("P%1").arg(i));
        }
        // The next single addition follows on.
        QCOMPARE(addSaved(*later, QStringLiteral("Last"), QStringLiteral("One")), bert + 1 + 1100);

        // A large group's members go in many at a time too: in order, each once at its first
        // place, without the identifiers that are no person's.
        ABRecordRef group = ABRecord::createGroup();
        group->setValue(kABGroupNameProperty, QStringLiteral("Many"));
        QVERIFY(later->addRecord(group));
        QVERIFY(later->save());
        QList<ABRecordID> members;
        for (int i = 0; i < 100; ++i) {
            QVERIFY(group->addMemberWithRecordID(added[i]->recordID()));
            members.append(added[i]->recordID());
            if (i % 30 == 29) {
                QVERIFY(group->addMemberWithRecordID(group->recordID()));
                QVERIFY(group->addMemberWithRecordID(bert));
                group->addMemberWithRecordID(added[i / 2]->recordID());
            }
        }
        QVERIFY(later->save());
        QCOMPARE(env.open()->groupWithRecordID(group->recordID())->copyArrayOfAllMemberIDs(), members);

        auto db = ABConnection::open(env.addressBookPath(), false);
        QVERIFY(db);
        QVERIFY((*db)->exec("UPDATE sqlite_sequence SET seq = 9223372036854775806 WHERE name = 'records'"));
        ABAddressBookRef full = env.open();
        full->addRecord(makePerson(QStringLiteral("Fits"), QStringLiteral("Not")));
        full->addRecord(makePerson(QStringLiteral("Fits"), QStringLiteral("Neither")));
        QString error;
        QVERIFY(!full->save(&error));
        QCOMPARE(error, QStringLiteral("The address book has no record identifiers left."));
        QCOMPARE(env.open()->personCount(), 1102);
    }

    // An import adds people and groups and links them in one save, partly written ahead. The
    // people written by that save join their groups without being looked up: what must still
    // stay out does (a group given as its own member, a person removed before the save), and
    // every group keeps its members in the order they were given, old members first.
    void membersWrittenInTheSameSaveKeepTheirOrder()
    {
        TestEnvironment env;
        ABAddressBookRef book = env.open();
        const ABRecordID old = addSaved(*book, QStringLiteral("Old"), QStringLiteral("Member"));
        ABRecordRef friends = ABRecord::createGroup();
        friends->setValue(kABGroupNameProperty, QStringLiteral("Friends"));
        QVERIFY(book->addRecord(friends));
        QVERIFY(friends->addMemberWithRecordID(old));
        QVERIFY(book->save());

        ABRecordRef work = ABRecord::createGroup();
        work->setValue(kABGroupNameProperty, QStringLiteral("Work"));
        QList<ABRecordRef> people;
        QList<ABRecordID> friendIDs{old};
        QList<ABRecordRef> workers;
        for (int i = 0; i < 1200; ++i) {
            if (i == 500)
                QVERIFY(book->addRecord(work));
            people.append(makePerson(QStringLiteral("P%1").arg(i), QStringLiteral("Many")));
            QVERIFY(book->addRecord(people.last()));
            // The later people of both groups are still waiting for the save, unnumbered.
            if (i % 3 == 0)
                QVERIFY(friends->addMember(people.last()));
            if (i % 4 == 0) {
                QVERIFY(work->addMember(people.last()));
                workers.append(people.last());
            }
        }
        QVERIFY(work->recordID() != kABRecordInvalidID);
        QVERIFY(work->addMemberWithRecordID(work->recordID()));
        QVERIFY(book->removeRecord(people[8]));
        QVERIFY(book->save());

        for (int i = 0; i < people.size(); i += 3)
            friendIDs.append(people[i]->recordID());
        QList<ABRecordID> workIDs;
        for (const ABRecordRef &worker : std::as_const(workers)) {
            if (worker != people[8])
                workIDs.append(worker->recordID());
        }
        ABAddressBookRef later = env.open();
        QCOMPARE(later->groupWithRecordID(friends->recordID())->copyArrayOfAllMemberIDs(), friendIDs);
        QCOMPARE(later->groupWithRecordID(work->recordID())->copyArrayOfAllMemberIDs(), workIDs);
    }

    void unsavedChangesStayInTheirHandle()
    {
        TestEnvironment env;
        ABRecordID id = addSaved(*env.open(), QStringLiteral("Anna"), QStringLiteral("Silva"));
        {
            ABAddressBookRef writer = env.open();
            writer->personWithRecordID(id)->setValue(kABPersonLastNameProperty, QStringLiteral("Changed"));
            writer->addRecord(makePerson(QStringLiteral("New"), QStringLiteral("Person")));
            QVERIFY(writer->hasUnsavedChanges());
            QCOMPARE(writer->personCount(), 2);

            ABAddressBookRef reader = env.open();
            QCOMPARE(reader->personCount(), 1);
            QCOMPARE(reader->personWithRecordID(id)->copyText(kABPersonLastNameProperty), QStringLiteral("Silva"));
        } // released without saving
        ABAddressBookRef after = env.open();
        QCOMPARE(after->personCount(), 1);
        QCOMPARE(after->personWithRecordID(id)->copyText(kABPersonLastNameProperty), QStringLiteral("Silva"));
    }

    void programsCreatingTheBookAtOnceBothUseIt()
    {
        TestEnvironment env;
        const QString path = env.path(QStringLiteral("new.db"));
        // A third program has made the empty file and holds the lock, so that both see a new file
        // and wait at the same point; the first to go on lays out the tables.
        auto holder = ABConnection::open(path, true);
        QVERIFY(holder && (*holder)->exec("PRAGMA journal_mode=WAL") && (*holder)->exec("BEGIN IMMEDIATE"));
        QString errors[2];
        bool opened[2] = {false, false};
        std::thread openers[2];
        for (int i = 0; i < 2; ++i)
            openers[i] = std::thread([&, i] { opened[i] = ABAddressBook::open(path, &errors[i]) != nullptr; });
        QTest::qWait(300);
        QVERIFY((*holder)->exec("ROLLBACK"));
        for (std::thread &opener : openers)
            opener.join();
        QVERIFY2(opened[0] && opened[1], qPrintable(errors[0] + QLatin1Char(' ') + errors[1]));
        QCOMPARE(ABAddressBook::open(path)->copyArrayOfAllSources().size(), 1);
    }

    void failedSaveLeavesDatabaseAsItWas()
    {
        TestEnvironment env;
        ABRecordID id = addSaved(*env.open(), QStringLiteral("Anna"), QStringLiteral("Silva"));
        ABConnection::setBusyTimeoutMs(50);
        ABAddressBookRef book = env.open();
        ABConnection::setBusyTimeoutMs(5000);
        book->personWithRecordID(id)->setValue(kABPersonNoteProperty, QStringLiteral("note"));
        ABRecordRef added = makePerson(QStringLiteral("Bert"), QStringLiteral("Costa"));
        book->addRecord(added);

        // Another program holds the write lock for longer than we wait.
        auto blocker = ABConnection::open(env.addressBookPath(), false);
        QVERIFY(blocker);
        QVERIFY((*blocker)->exec("BEGIN EXCLUSIVE"));
        QString error;
        QVERIFY(!book->save(&error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(added->recordID(), kABRecordInvalidID);
        QVERIFY((*blocker)->exec("ROLLBACK"));

        ABAddressBookRef reader = env.open();
        QCOMPARE(reader->personCount(), 1);
        QVERIFY(!reader->personWithRecordID(id)->copyValue(kABPersonNoteProperty).isValid());
        // The changes are still in the handle and go through once the lock is gone.
        QVERIFY(book->save(&error));
        QCOMPARE(env.open()->personCount(), 2);
    }

    void multiValuesKeepOrderLabelsAndTypes()
    {
        TestEnvironment env;
        ABRecordRef person = makePerson(QStringLiteral("Anna"), QStringLiteral("Silva"));
        ABMultiValue phones(kABMultiStringPropertyType);
        phones.addValueAndLabel(QStringLiteral("111"), kABPersonPhoneMobileLabel);
        phones.addValueAndLabel(QStringLiteral("222"), std::nullopt);
        phones.addValueAndLabel(QStringLiteral("333"), QStringLiteral("boat"));
        phones.addValueAndLabel(QStringLiteral("444"), QStringLiteral(""));
        person->setValue(kABPersonPhoneProperty, QVariant::fromValue(phones));
        ABMultiValue addresses(kABMultiDictionaryPropertyType);
        QVariantMap home{{kABPersonAddressStreetKey, QStringLiteral("Rua A 1\n2.º")}, {kABPersonAddressCityKey, QStringLiteral("Lisboa")}};
        addresses.addValueAndLabel(home, kABHomeLabel);
        person->setValue(kABPersonAddressProperty, QVariant::fromValue(addresses));
        ABMultiValue dates(kABMultiDateTimePropertyType);
        QDateTime day(QDate(2001, 2, 3), QTime(12, 0), Qt::UTC);
        dates.addValueAndLabel(day, kABPersonAnniversaryLabel);
        person->setValue(kABPersonDateProperty, QVariant::fromValue(dates));
        person->setValue(kABPersonKindProperty, qint64(kABPersonKindOrganization));

        ABAddressBookRef book = env.open();
        book->addRecord(person);
        QVERIFY(book->save());

        ABRecordRef read = env.open()->personWithRecordID(person->recordID());
        QCOMPARE(read->copyMultiValue(kABPersonPhoneProperty), phones);
        QCOMPARE(read->copyMultiValue(kABPersonPhoneProperty).copyLabelAtIndex(1), std::nullopt);
        QCOMPARE(read->copyMultiValue(kABPersonPhoneProperty).copyLabelAtIndex(3), std::optional<QString>(QString()));
        QCOMPARE(read->copyMultiValue(kABPersonAddressProperty), addresses);
        QCOMPARE(read->copyMultiValue(kABPersonDateProperty).copyValueAtIndex(0).toDateTime(), day);
        QCOMPARE(read->copyValue(kABPersonKindProperty).toInt(), kABPersonKindOrganization);
        QVERIFY(read->copyValue(kABPersonCreationDateProperty).toDateTime().isValid());
    }

    void valuesOfTheWrongTypeAreRefused()
    {
        ABRecordRef person = ABRecord::createPerson();
        QString error;
        QVERIFY(!person->setValue(kABPersonFirstNameProperty, QDateTime::currentDateTimeUtc(), &error));
        QVERIFY(!person->setValue(kABPersonPhoneProperty, QStringLiteral("123"), &error));
        ABMultiValue dictionaries(kABMultiDictionaryPropertyType);
        dictionaries.addValueAndLabel(QVariantMap{{QStringLiteral("a"), QStringLiteral("b")}}, std::nullopt);
        QVERIFY(!person->setValue(kABPersonEmailProperty, QVariant::fromValue(dictionaries), &error));
        QVERIFY(!person->setValue(kABPersonCreationDateProperty, QDateTime::currentDateTimeUtc(), &error));
        QVERIFY(person->setValue(kABPersonFirstNameProperty, QStringLiteral("Ok")));
        QVERIFY(person->removeValue(kABPersonFirstNameProperty));
        QVERIFY(!person->copyValue(kABPersonFirstNameProperty).isValid());
    }

    void imageBytesComeBackUnchanged()
    {
        TestEnvironment env;
        QByteArray bytes;
        for (int i = 0; i < 70000; ++i)
            bytes.append(char(i * 7));
        ABRecordRef person = makePerson(QStringLiteral("Anna"), QStringLiteral("Silva"));
        QVERIFY(person->setImageData(bytes));
        ABAddressBookRef book = env.open();
        book->addRecord(person);
        QVERIFY(book->save());
        ABRecordRef read = env.open()->personWithRecordID(person->recordID());
        QVERIFY(read->hasImageData());
        QCOMPARE(read->copyImageData(), bytes);

        ABAddressBookRef remover = env.open();
        QVERIFY(remover->personWithRecordID(person->recordID())->removeImageData());
        QVERIFY(remover->save());
        QVERIFY(!env.open()->personWithRecordID(person->recordID())->hasImageData());
    }

    void groupsKeepMembersInOrderAndLoseRemovedPeople()
    {
        TestEnvironment env;
        ABAddressBookRef book = env.open();
        ABRecordRef group = ABRecord::createGroup();
        group->setValue(kABGroupNameProperty, QStringLiteral("Friends"));
        ABRecordRef zoe = makePerson(QStringLiteral("Zoë"), QStringLiteral("Almeida"));
        ABRecordRef bruno = makePerson(QStringLiteral("Bruno"), QStringLiteral("Zúñiga"));
        for (const ABRecordRef &record : {group, zoe, bruno})
            book->addRecord(record);
        QVERIFY(group->addMember(zoe));
        QVERIFY(group->addMember(bruno));
        QVERIFY2(!group->addMember(group), "only people can be members");
        QVERIFY(book->save());

        ABAddressBookRef reader = env.open();
        ABRecordRef readGroup = reader->groupWithRecordID(group->recordID());
        QCOMPARE(readGroup->copyCompositeName(), QStringLiteral("Friends"));
        QList<ABRecordRef> inOrder = readGroup->copyArrayOfAllMembers();
        QCOMPARE(inOrder.size(), 2);
        QCOMPARE(inOrder.first()->copyText(kABPersonFirstNameProperty), QStringLiteral("Zoë"));
        QCOMPARE(inOrder.last()->copyText(kABPersonFirstNameProperty), QStringLiteral("Bruno"));

        QVERIFY(reader->removeRecord(reader->personWithRecordID(zoe->recordID())));
        QVERIFY(reader->save());
        QList<ABRecordRef> members = env.open()->groupWithRecordID(group->recordID())->copyArrayOfAllMembers();
        QCOMPARE(members.size(), 1);
        QCOMPARE(members.first()->recordID(), bruno->recordID());
    }

    void membersAddedByIdentifierKeepOnlySavedPeople()
    {
        TestEnvironment env;
        ABAddressBookRef book = env.open();
        ABRecordRef group = ABRecord::createGroup();
        group->setValue(kABGroupNameProperty, QStringLiteral("Friends"));
        ABRecordRef other = ABRecord::createGroup();
        other->setValue(kABGroupNameProperty, QStringLiteral("Work"));
        ABRecordRef ana = makePerson(QStringLiteral("Ana"), QStringLiteral("A"));
        ABRecordRef bia = makePerson(QStringLiteral("Bia"), QStringLiteral("B"));
        for (const ABRecordRef &record : {group, other, ana, bia})
            book->addRecord(record);
        QVERIFY(book->save());

        // Another handle removes Bia before the members are saved.
        ABAddressBookRef remover = env.open();
        QVERIFY(remover->removeRecord(remover->personWithRecordID(bia->recordID())));
        QVERIFY(remover->save());

        ABAddressBookRef linker = env.open();
        ABRecordRef linked = linker->groupWithRecordID(group->recordID());
        QVERIFY(!linked->addMemberWithRecordID(kABRecordInvalidID));
        QVERIFY(linked->addMemberWithRecordID(bia->recordID()));
        QVERIFY(linked->addMemberWithRecordID(other->recordID()));
        QVERIFY(linked->addMemberWithRecordID(ana->recordID()));
        QVERIFY(linked->addMemberWithRecordID(ana->recordID()));
        QVERIFY(linker->save());

        // Only the person that still exists is a member, once: not the removed one, not a group.
        QCOMPARE(env.open()->groupWithRecordID(group->recordID())->copyArrayOfAllMemberIDs(), QList<ABRecordID>{ana->recordID()});
    }

    void removedPeopleNeverComeBackIntoGroups_data()
    {
        QTest::addColumn<bool>("sameHandle");
        QTest::newRow("removed in the group's handle") << true;
        QTest::newRow("removed in another handle") << false;
    }

    void removedPeopleNeverComeBackIntoGroups()
    {
        QFETCH(bool, sameHandle);
        TestEnvironment env;
        ABAddressBookRef book = env.open();
        ABRecordRef group = ABRecord::createGroup();
        group->setValue(kABGroupNameProperty, QStringLiteral("Friends"));
        ABRecordRef ana = makePerson(QStringLiteral("Ana"), QStringLiteral("A"));
        ABRecordRef bia = makePerson(QStringLiteral("Bia"), QStringLiteral("B"));
        ABRecordRef cai = makePerson(QStringLiteral("Cai"), QStringLiteral("C"));
        for (const ABRecordRef &record : {group, ana, bia, cai})
            book->addRecord(record);
        QVERIFY(group->addMember(ana) && group->addMember(bia));
        QVERIFY(book->save());

        // Ana goes; then the group's handle changes its members, which must not write her back.
        ABAddressBookRef remover = sameHandle ? book : env.open();
        QVERIFY(remover->removeRecord(remover->personWithRecordID(ana->recordID())));
        QVERIFY(remover->save());
        QVERIFY(group->addMember(cai));
        QVERIFY(book->save());
        const QList<ABRecordID> expected{bia->recordID(), cai->recordID()};
        QCOMPARE(env.open()->groupWithRecordID(group->recordID())->copyArrayOfAllMemberIDs(), expected);
        if (sameHandle)
            QCOMPARE(group->copyArrayOfAllMemberIDs(), expected);
    }

    void twoHandlesOnTwoThreadsWorkAtOnce()
    {
        TestEnvironment env;
        const QString path = env.addressBookPath();
        env.open();
        auto addMany = [path](const QString &prefix, bool *ok) {
            ABAddressBookRef book = ABAddressBook::open(path);
            *ok = book != nullptr;
            for (int i = 0; i < 50 && *ok; ++i) {
                book->addRecord(makePerson(prefix, QString::number(i)));
                *ok = book->save();
            }
        };
        bool ok1 = false, ok2 = false;
        std::thread first(addMany, QStringLiteral("First"), &ok1);
        std::thread second(addMany, QStringLiteral("Second"), &ok2);
        first.join();
        second.join();
        QVERIFY(ok1 && ok2);
        QCOMPARE(env.open()->personCount(), 100);
    }

    void unusableFilesFailCleanlyAndStayUntouched_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("garbage") << QByteArray("this is not a database, just some text\n").repeated(200);
        QTest::newRow("truncated header") << QByteArray("SQLite format 3\0", 16) + QByteArray(100, '\x01');
    }

    void unusableFilesFailCleanlyAndStayUntouched()
    {
        QFETCH(QByteArray, content);
        TestEnvironment env;
        QFile file(env.addressBookPath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
        QString error;
        QVERIFY(!ABAddressBook::open(env.addressBookPath(), &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), content);
    }

    void foreignSqliteDatabaseIsRefused()
    {
        TestEnvironment env;
        auto other = ABConnection::open(env.addressBookPath(), true);
        QVERIFY((*other)->exec("CREATE TABLE notes(text TEXT)"));
        other.value().reset();
        QString error;
        QVERIFY(!ABAddressBook::open(env.addressBookPath(), &error));
        QVERIFY(error.contains(QStringLiteral("not a Vennaro address book")));
    }

    void labelsAndPropertyNamesHaveUserTexts()
    {
        QCOMPARE(ABAddressBook::copyLocalizedLabel(kABPersonPhoneHomeFAXLabel), QStringLiteral("home fax"));
        QCOMPARE(ABAddressBook::copyLocalizedLabel(QStringLiteral("boat")), QStringLiteral("boat"));
        QCOMPARE(ABAddressBook::copyLocalizedPropertyName(kABPersonFirstNameProperty), QStringLiteral("First"));
        QCOMPARE(ABRecord::typeOfProperty(kABPersonAddressProperty), kABMultiDictionaryPropertyType);
        QCOMPARE(ABRecord::typeOfProperty(kABPersonDateProperty), kABMultiDateTimePropertyType);
    }

    void compositeNameFollowsTheNameFormat()
    {
        TestEnvironment env;
        ABAddressBookRef book = env.open();
        ABRecordRef person = makePerson(QStringLiteral("Anna"), QStringLiteral("Silva"));
        person->setValue(kABPersonPrefixProperty, QStringLiteral("Dr."));
        book->addRecord(person);
        QCOMPARE(person->copyCompositeName(), QStringLiteral("Dr. Anna Silva"));
        QVERIFY(book->setCompositeNameFormat(kABPersonCompositeNameFormatLastNameFirst));
        QVERIFY(book->save());
        QCOMPARE(env.open()->personWithRecordID(person->recordID())->copyCompositeName(), QStringLiteral("Dr. Silva Anna"));

        ABRecordRef company = ABRecord::createPerson();
        company->setValue(kABPersonOrganizationProperty, QStringLiteral("Acme"));
        QCOMPARE(company->copyCompositeName(), QStringLiteral("Acme"));
        QVERIFY(ABRecord::createPerson()->copyCompositeName().isNull());
    }
};

QTEST_GUILESS_MAIN(AddressBookTest)
#include "addressbook_test.moc"
