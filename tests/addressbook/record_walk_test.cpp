// Walking many people with one handle: block reads and letting go of finished records.

#include "support/TestEnvironment.h"

#include <QtTest>

class RecordWalkTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void blockReadKeepsOrderAndMarksMissing();
    void releaseKeepsUnsavedChangesAndHeldRecords();
    void personWalkMatchesTheWholeListAcrossBlocks();
};

void RecordWalkTest::blockReadKeepsOrderAndMarksMissing()
{
    TestEnvironment environment;
    ABAddressBookRef book = environment.open();
    QList<ABRecordRef> people;
    for (const char *name : {"Ana", "Bea", "Caio"}) {
        ABRecordRef person = ABRecord::createPerson(book->copyDefaultSource());
        person->setValue(kABPersonFirstNameProperty, QString::fromLatin1(name));
        book->addRecord(person);
        people.append(person);
    }
    ABRecordRef group = ABRecord::createGroup(book->copyDefaultSource());
    group->setValue(kABGroupNameProperty, QStringLiteral("Friends"));
    book->addRecord(group);
    QVERIFY(book->save());
    group->addMember(people[2]);
    group->addMember(people[0]);
    QVERIFY(book->removeRecord(people[1]));
    QVERIFY(book->save());
    const QList<ABRecordID> ids{people[2]->recordID(), people[1]->recordID(), group->recordID(), people[0]->recordID()};
    QCOMPARE(group->copyArrayOfAllMemberIDs(), (QList<ABRecordID>{people[2]->recordID(), people[0]->recordID()}));
    book.reset();

    ABAddressBookRef fresh = environment.open();
    const QList<ABRecordRef> found = fresh->peopleWithRecordIDs(ids);
    QCOMPARE(found.size(), 4);
    QCOMPARE(found[0]->copyText(kABPersonFirstNameProperty), QStringLiteral("Caio"));
    QVERIFY(!found[1]); // deleted
    QVERIFY(!found[2]); // a group, not a person
    QCOMPARE(found[3]->copyText(kABPersonFirstNameProperty), QStringLiteral("Ana"));
}

void RecordWalkTest::releaseKeepsUnsavedChangesAndHeldRecords()
{
    TestEnvironment environment;
    ABAddressBookRef book = environment.open();
    QList<ABRecordID> ids;
    for (int i = 0; i < 3; ++i) {
        ABRecordRef person = ABRecord::createPerson(book->copyDefaultSource());
        person->setValue(kABPersonFirstNameProperty, QStringLiteral("P%1").arg(i));
        book->addRecord(person);
        QVERIFY(book->save());
        ids.append(person->recordID());
    }
    book.reset();

    ABAddressBookRef walker = environment.open();
    ABRecordRef held = walker->personWithRecordID(ids[0]);
    const QDateTime savedAt = walker->personWithRecordID(ids[1])->copyValue(kABPersonModificationDateProperty).toDateTime();
    QVERIFY(savedAt.isValid());
    QTest::qSleep(5);
    walker->personWithRecordID(ids[1])->setValue(kABPersonLastNameProperty, QStringLiteral("Changed"));
    walker->personWithRecordID(ids[2]);
    walker->releaseUnusedRecords();
    // The held record is still the one the handle answers; the changed one, kept packed, still
    // answers its new value and saves.
    QCOMPARE(walker->personWithRecordID(ids[0]), held);
    QVERIFY(walker->hasUnsavedChanges());
    QCOMPARE(walker->personWithRecordID(ids[1])->copyText(kABPersonLastNameProperty), QStringLiteral("Changed"));
    QCOMPARE(walker->personWithRecordID(ids[1])->copyText(kABPersonFirstNameProperty), QStringLiteral("P1"));
    walker->releaseUnusedRecords();
    QCOMPARE(walker->personWithRecordID(ids[1])->copyValue(kABPersonModificationDateProperty).toDateTime(), savedAt);
    QVERIFY(walker->save());
    // The save dates the packed record without unpacking it; what it answers is the new date.
    const QDateTime changedAt = walker->personWithRecordID(ids[1])->copyValue(kABPersonModificationDateProperty).toDateTime();
    QVERIFY(changedAt > savedAt);
    // Let go of, the held record is released by a later call.
    std::weak_ptr<ABRecord> wasHeld = held;
    held.reset();
    walker->releaseUnusedRecords();
    QVERIFY(wasHeld.expired());
    walker.reset();
    ABRecordRef reread = environment.open()->personWithRecordID(ids[1]);
    QCOMPARE(reread->copyText(kABPersonLastNameProperty), QStringLiteral("Changed"));
    QCOMPARE(reread->copyText(kABPersonFirstNameProperty), QStringLiteral("P1"));
    QCOMPARE(reread->copyValue(kABPersonModificationDateProperty).toDateTime(), changedAt);
}

void RecordWalkTest::personWalkMatchesTheWholeListAcrossBlocks()
{
    TestEnvironment environment;
    ABAddressBookRef book = environment.open();
    ABRecordRef exchange = book->addSource(kABSourceTypeExchange, QStringLiteral("Work"));
    // More people than one block holds, in two sources, with a group among them.
    for (int i = 0; i < 2600; ++i) {
        ABRecordRef person = ABRecord::createPerson(i % 3 == 0 ? exchange : book->copyDefaultSource());
        person->setValue(kABPersonFirstNameProperty, QStringLiteral("P%1").arg(i));
        book->addRecord(person);
        if (i == 1200) {
            ABRecordRef group = ABRecord::createGroup(book->copyDefaultSource());
            group->setValue(kABGroupNameProperty, QStringLiteral("Among them"));
            book->addRecord(group);
        }
    }
    QVERIFY(book->save());
    book.reset();

    ABAddressBookRef walker = environment.open();
    const QList<ABRecordRef> saved = walker->copyArrayOfAllPeople();
    QVERIFY(walker->removeRecord(saved[999]));
    QVERIFY(walker->removeRecord(saved[1000]));
    ABRecordRef changed = saved[2000];
    changed->setValue(kABPersonLastNameProperty, QStringLiteral("Changed"));
    ABRecordRef unsaved = ABRecord::createPerson(exchange);
    unsaved->setValue(kABPersonFirstNameProperty, QStringLiteral("New"));
    walker->addRecord(unsaved);

    for (const ABRecordRef &source : {ABRecordRef(), walker->sourceWithRecordID(exchange->recordID())}) {
        QList<ABRecordRef> walked;
        walker->forEachPerson(source, [&walked](const ABRecordRef &person) { walked.append(person); });
        const QList<ABRecordRef> listed = source ? walker->copyArrayOfAllPeopleInSource(source) : walker->copyArrayOfAllPeople();
        QCOMPARE(walked, listed);
        QCOMPARE(walker->personCount(source), int(listed.size()));
        QVERIFY(walked.contains(unsaved));
    }
    QCOMPARE(walker->personCount(), 2600 - 2 + 1);

    // The records of a finished block that nothing holds are let go; changes stay for the save.
    std::weak_ptr<ABRecord> first;
    ABAddressBookRef fresh = environment.open();
    fresh->forEachPerson(nullptr, [&first, &saved](const ABRecordRef &person) {
        if (person->recordID() == saved[0]->recordID())
            first = person;
    });
    QVERIFY(first.expired());
    QVERIFY(walker->save());
    QCOMPARE(environment.open()->personWithRecordID(changed->recordID())->copyText(kABPersonLastNameProperty), QStringLiteral("Changed"));
}

QTEST_GUILESS_MAIN(RecordWalkTest)
#include "record_walk_test.moc"
