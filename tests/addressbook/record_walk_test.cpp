// Walking many people with one handle: block reads and letting go of finished records.

#include "support/TestEnvironment.h"

#include <QtTest>

class RecordWalkTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void blockReadKeepsOrderAndMarksMissing();
    void releaseKeepsUnsavedChangesAndHeldRecords();
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
    walker->personWithRecordID(ids[1])->setValue(kABPersonLastNameProperty, QStringLiteral("Changed"));
    walker->personWithRecordID(ids[2]);
    walker->releaseUnusedRecords();
    // The held record is still the one the handle answers; the changed one still saves.
    QCOMPARE(walker->personWithRecordID(ids[0]), held);
    QVERIFY(walker->hasUnsavedChanges());
    QVERIFY(walker->save());
    walker.reset();
    QCOMPARE(environment.open()->personWithRecordID(ids[1])->copyText(kABPersonLastNameProperty), QStringLiteral("Changed"));
}

QTEST_GUILESS_MAIN(RecordWalkTest)
#include "record_walk_test.moc"
