// Walking many people with one handle: block reads and letting go of finished records.

#include "addressbook/ABConnection.h"
#include "support/TestEnvironment.h"

#include <QFileInfo>
#include <QtTest>

#include <atomic>
#include <mutex>
#include <thread>

class RecordWalkTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void blockReadKeepsOrderAndMarksMissing();
    void releaseKeepsUnsavedChangesAndHeldRecords();
    void personWalkMatchesTheWholeListAcrossBlocks();
    void longListsAreReadInTheirOwnOrder();
    void partsSeeOneStateWhileAnotherHandleSaves();
    void largeAdditionIsWrittenAheadAndCommittedOnlyBySave();
    void largeAdditionLeavesNothingWhenDroppedRevertedOrFailed();
    void largeAdditionAloneBypassesTheLogOnlyForItsTransaction();
};

namespace {

ABRecordRef addPerson(ABAddressBook &book, const QString &name)
{
    ABRecordRef person = ABRecord::createPerson(book.copyDefaultSource());
    person->setValue(kABPersonFirstNameProperty, name);
    book.addRecord(person);
    return person;
}

QString journalMode(const QString &path)
{
    auto db = ABConnection::open(path, false);
    if (!db)
        return QString();
    ABConnection::Statement mode(**db, "PRAGMA journal_mode");
    return mode.step() ? mode.columnText(0) : QString();
}

// Adds `count` people named N0, N1 … that only the handle holds, each a member of `group`
// when there is one (as a reader files a card's groups).
QList<std::weak_ptr<ABRecord>> addPeople(ABAddressBook &book, int count, const ABRecordRef &group = nullptr)
{
    QList<std::weak_ptr<ABRecord>> people;
    for (int i = 0; i < count; ++i) {
        ABRecordRef person = addPerson(book, QStringLiteral("N%1").arg(i));
        if (group)
            group->addMember(person);
        people.append(person);
    }
    return people;
}

} // namespace

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

    // Read in passing: the same people, the missing ones passed over; each person's image is
    // its own although one record stands for all of them.
    QVERIFY(found[0]->setImageData(QByteArray("caio's picture")));
    QVERIFY(fresh->save());
    QStringList names;
    QList<QByteArray> images;
    environment.open()->forEachPersonToRead(ids + QList<ABRecordID>{ids[0], -1}, [&](const ABRecord &person) {
        names.append(person.copyCompositeName());
        images.append(person.hasImageData() ? person.copyImageData() : QByteArray("none"));
    });
    QCOMPARE(names, (QStringList{QStringLiteral("Caio"), QStringLiteral("Ana"), QStringLiteral("Caio")}));
    QCOMPARE(images, (QList<QByteArray>{"caio's picture", "none", "caio's picture"}));
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
        // Read in passing: the same people with the handle's unsaved changes.
        QList<ABRecordID> read;
        QStringList lastNames;
        walker->forEachPersonToRead(source, [&](const ABRecord &person) {
            read.append(person.recordID());
            lastNames.append(person.copyText(kABPersonLastNameProperty));
        });
        QList<ABRecordID> walkedIDs;
        for (const ABRecordRef &person : std::as_const(walked))
            walkedIDs.append(person->recordID());
        QCOMPARE(read, walkedIDs);
        QCOMPARE(lastNames.count(QStringLiteral("Changed")), source ? 0 : 1);

        // Read in parts on three threads: joined in part order, the same people with the same
        // changes, every part in use.
        QList<ABRecordID> inParts[3];
        QStringList partLastNames[3];
        walker->forEachPersonToReadInParts(source, 3, [&](int part, const ABRecord &person) {
            inParts[part].append(person.recordID());
            partLastNames[part].append(person.copyText(kABPersonLastNameProperty));
        });
        QCOMPARE(inParts[0] + inParts[1] + inParts[2], walkedIDs);
        QCOMPARE((partLastNames[0] + partLastNames[1] + partLastNames[2]), lastNames);
        for (const QList<ABRecordID> &part : inParts)
            QVERIFY(part.size() > 100);
    }
    QCOMPARE(walker->personCount(), 2600 - 2 + 1);

    // Chosen people read in parts: each chosen person once, with the handle's changes; the
    // group, the removed person and the unsaved one (no identifier yet) are passed over. Close
    // together they are split over the parts in identifier order; two far apart are looked up.
    QList<ABRecordID> chosen;
    for (qsizetype i = 0; i < saved.size(); i += 2)
        chosen.append(saved[i]->recordID());
    const ABRecordID groupID = walker->copyArrayOfAllGroups().constFirst()->recordID();
    chosen += {saved[2000]->recordID(), saved[1000]->recordID(), groupID, saved[998]->recordID(), unsaved->recordID()};
    std::reverse(chosen.begin(), chosen.end());
    for (const QList<ABRecordID> &wanted : {chosen, QList<ABRecordID>{saved[2599]->recordID(), saved[0]->recordID()}}) {
        QList<ABRecordID> inParts[2];
        QStringList changedNames;
        walker->forEachPersonToReadInParts(wanted, 2, [&](int part, const ABRecord &person) {
            inParts[part].append(person.recordID());
            if (person.recordID() == changed->recordID())
                changedNames.append(person.copyText(kABPersonLastNameProperty));
        });
        const QList<ABRecordID> read = inParts[0] + inParts[1];
        QSet<ABRecordID> expected(wanted.begin(), wanted.end());
        expected -= QSet<ABRecordID>{saved[1000]->recordID(), groupID, unsaved->recordID()};
        QCOMPARE(read.size(), expected.size());
        QCOMPARE(QSet<ABRecordID>(read.begin(), read.end()), expected);
        if (wanted == chosen) {
            QVERIFY(std::is_sorted(read.begin(), read.end()));
            QVERIFY(inParts[0].size() > 300 && inParts[1].size() > 300);
            QCOMPARE(changedNames, QStringList{QStringLiteral("Changed")});
        } else {
            QCOMPARE(inParts[0], (QList<ABRecordID>{saved[0]->recordID(), saved[2599]->recordID()}));
        }
    }

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

// A list longer than the reader's windows, in no order of the book: each entry comes back in
// its place, as often as it is listed, in stretches that follow the book's order or go against
// it, and entries that are no person's (a group, a removed person, an identifier never given)
// are passed over.
void RecordWalkTest::longListsAreReadInTheirOwnOrder()
{
    TestEnvironment environment;
    ABAddressBookRef book = environment.open();
    addPeople(*book, 3000);
    ABRecordRef group = ABRecord::createGroup(book->copyDefaultSource());
    group->setValue(kABGroupNameProperty, QStringLiteral("Not a person"));
    book->addRecord(group);
    QVERIFY(book->save());
    QHash<ABRecordID, QString> names;
    for (const ABRecordRef &person : book->copyArrayOfAllPeople())
        names.insert(person->recordID(), person->copyText(kABPersonFirstNameProperty));
    QList<ABRecordID> people = names.keys();
    std::sort(people.begin(), people.end());
    // One removed from the middle of the book: its identifier, still listed, is no one's now.
    const ABRecordID removed = people[1500];
    QVERIFY(book->removeRecord(book->personWithRecordID(removed)));
    QVERIFY(book->save());
    names.remove(removed);
    book.reset();

    QList<ABRecordID> ids;
    QRandomGenerator random(7);
    for (int i = 0; i < 25000; ++i) {
        ABRecordID id = people[qsizetype(random.bounded(int(people.size())))];
        if (i % 5000 == 17)
            id = group->recordID();
        else if (i % 5000 == 18)
            id = 1000000;
        else if (i >= 12000 && i < 15000)
            id = people[i - 12000]; // a stretch in the book's order
        ids.append(id);
    }
    std::sort(ids.begin() + 15000, ids.begin() + 18000, std::greater<>()); // and one against it
    QStringList expected;
    for (ABRecordID id : std::as_const(ids)) {
        if (names.contains(id))
            expected.append(names.value(id));
    }
    QStringList read;
    environment.open()->forEachPersonToRead(ids, [&read](const ABRecord &person) { read.append(person.copyText(kABPersonFirstNameProperty)); });
    QCOMPARE(read.size(), expected.size());
    QCOMPARE(read, expected);

    // The same list by slices of every size on two parts: each position gets its person once.
    QList<QString> byPosition(ids.size());
    QList<int> visits(ids.size(), 0);
    std::mutex taking;
    qsizetype next = 0;
    int slices = 0;
    const bool inFull = environment.open()->forEachPersonToReadBySlices(
        ids, 2,
        [&](int) -> std::optional<ABAddressBook::ListSlice> {
            std::lock_guard lock(taking);
            if (next == ids.size())
                return std::nullopt;
            const qsizetype size = qMin<qsizetype>(1 + (slices++ * 977) % 6000, ids.size() - next);
            next += size;
            return ABAddressBook::ListSlice{next - size, next};
        },
        [&](int, qsizetype position, const ABRecord &person) {
            byPosition[position] = person.copyText(kABPersonFirstNameProperty);
            ++visits[position];
        });
    QVERIFY(inFull);
    QVERIFY(slices > 4);
    QStringList sliced;
    for (qsizetype position = 0; position < ids.size(); ++position) {
        QCOMPARE(visits[position], names.contains(ids[position]) ? 1 : 0);
        if (visits[position])
            sliced.append(byPosition[position]);
    }
    QCOMPARE(sliced, expected);
}

// Another handle keeps changing the first and the last person in one save each time; a walk
// in two parts reads them on two connections and must still see both from the same save.
void RecordWalkTest::partsSeeOneStateWhileAnotherHandleSaves()
{
    TestEnvironment environment;
    {
        ABAddressBookRef book = environment.open();
        addPeople(*book, 2000);
        QVERIFY(book->save());
    }
    QList<ABRecordID> ids;
    environment.open()->forEachPersonToRead(nullptr, [&ids](const ABRecord &person) { ids.append(person.recordID()); });
    QCOMPARE(ids.size(), 2000);
    const ABRecordID first = ids.first();
    const ABRecordID last = ids.last();

    std::atomic<bool> stop = false;
    std::atomic<int> saves = 0;
    std::thread writer([&] {
        ABAddressBookRef book = environment.open();
        for (int round = 1; !stop; ++round) {
            for (ABRecordID id : {first, last})
                book->personWithRecordID(id)->setValue(kABPersonLastNameProperty, QString::number(round));
            if (book->save())
                ++saves;
        }
    });
    int walks = 0;
    bool sameState = true;
    for (; walks < 300 && sameState; ++walks) {
        QString firstName;
        QString lastName;
        environment.open()->forEachPersonToReadInParts(nullptr, 2, [&](int, const ABRecord &person) {
            if (person.recordID() == first)
                firstName = person.copyText(kABPersonLastNameProperty);
            else if (person.recordID() == last)
                lastName = person.copyText(kABPersonLastNameProperty);
        });
        sameState = firstName == lastName;
    }
    stop = true;
    writer.join();
    QVERIFY2(sameState, qPrintable(QStringLiteral("walk %1 saw two states").arg(walks)));
    QVERIFY(saves > 0);
}

void RecordWalkTest::largeAdditionIsWrittenAheadAndCommittedOnlyBySave()
{
    TestEnvironment environment;
    ABAddressBookRef book = environment.open();
    ABRecordRef group = ABRecord::createGroup(book->copyDefaultSource());
    group->setValue(kABGroupNameProperty, QStringLiteral("Early"));
    book->addRecord(group);
    // Kept by the caller: a member, an image and a change made after its block was written.
    ABRecordRef kept = addPerson(*book, QStringLiteral("Kept"));
    ABRecordRef everyone = ABRecord::createGroup(book->copyDefaultSource());
    everyone->setValue(kABGroupNameProperty, QStringLiteral("Everyone"));
    book->addRecord(everyone);
    const QList<std::weak_ptr<ABRecord>> others = addPeople(*book, 2498, everyone);
    // Written with the first block, held by nobody: not even by the group they joined.
    QVERIFY(others.first().expired());
    QVERIFY(kept->recordID() != kABRecordInvalidID);
    QVERIFY(group->addMember(kept));
    QVERIFY(kept->setImageData("image bytes"));
    QVERIFY(kept->setValue(kABPersonLastNameProperty, QStringLiteral("Later")));

    // This handle sees all of them, another one none until the save, and is not kept waiting.
    QCOMPARE(book->personCount(), 2499);
    int walked = 0;
    book->forEachPerson(nullptr, [&walked](const ABRecordRef &) { ++walked; });
    QCOMPARE(walked, 2499);
    // Read in passing by identifier, the people written ahead are there too, although only
    // this handle's connection sees them.
    const QList<ABRecordID> writtenAhead = everyone->copyArrayOfAllMemberIDs();
    QVERIFY(writtenAhead.size() >= 1000);
    int read = 0;
    book->forEachPersonToRead(writtenAhead, [&read](const ABRecord &) { ++read; });
    QCOMPARE(read, int(writtenAhead.size()));
    QCOMPARE(environment.open()->personCount(), 0);
    QVERIFY(book->hasUnsavedChanges());
    QVERIFY(book->save());
    QVERIFY(!book->hasUnsavedChanges());

    ABAddressBookRef fresh = environment.open();
    QCOMPARE(fresh->personCount(), 2499);
    const QList<ABRecordRef> members = fresh->groupWithRecordID(everyone->recordID())->copyArrayOfAllMembers();
    QCOMPARE(members.size(), 2498);
    for (int i : {0, 997, 998, 1999, 2497})
        QCOMPARE(members[i]->copyText(kABPersonFirstNameProperty), QStringLiteral("N%1").arg(i));
    ABRecordRef reread = fresh->personWithRecordID(kept->recordID());
    QCOMPARE(reread->copyText(kABPersonFirstNameProperty), QStringLiteral("Kept"));
    QCOMPARE(reread->copyText(kABPersonLastNameProperty), QStringLiteral("Later"));
    QCOMPARE(reread->copyImageData(), QByteArray("image bytes"));
    QVERIFY(reread->copyValue(kABPersonCreationDateProperty).toDateTime().isValid());
    QCOMPARE(fresh->groupWithRecordID(group->recordID())->copyArrayOfAllMemberIDs(), QList<ABRecordID>{kept->recordID()});
}

void RecordWalkTest::largeAdditionLeavesNothingWhenDroppedRevertedOrFailed()
{
    TestEnvironment environment;
    ABConnection::setBusyTimeoutMs(200);
    // Dropped without a save while one of its records lives on: nothing stays, nothing is locked.
    ABAddressBookRef book = environment.open();
    ABRecordRef survivor = addPerson(*book, QStringLiteral("Survivor"));
    addPeople(*book, 1500);
    book.reset();
    ABAddressBookRef other = environment.open();
    QCOMPARE(other->personCount(), 0);
    addPerson(*other, QStringLiteral("One"));
    QVERIFY(other->save());
    other.reset();

    // Reverted: the handle forgets the written records and works on.
    book = environment.open();
    ABRecordRef reverted = addPerson(*book, QStringLiteral("Reverted"));
    addPeople(*book, 1500);
    book->revert();
    QCOMPARE(reverted->recordID(), kABRecordInvalidID);
    QCOMPARE(book->personCount(), 1);
    addPeople(*book, 1200);
    QVERIFY(book->save());
    QCOMPARE(environment.open()->personCount(), 1201);

    // A save that fails after records were written ahead loses the whole addition: no later
    // save may commit only the rest of it.
    ABRecordRef stranger = ABRecord::createPerson(book->copyDefaultSource());
    ABRecordRef group = ABRecord::createGroup(book->copyDefaultSource());
    group->setValue(kABGroupNameProperty, QStringLiteral("Broken"));
    QVERIFY(book->addRecord(group));
    QVERIFY(group->addMember(stranger)); // never added: the save fails
    addPeople(*book, 1100);
    QString error;
    QVERIFY(!book->save(&error));
    QVERIFY(!error.isEmpty());
    QString again;
    QVERIFY(!book->save(&again));
    QCOMPARE(again, error);
    QCOMPARE(environment.open()->personCount(), 1201);
    book->revert();
    addPeople(*book, 2);
    QVERIFY(book->save());
    QCOMPARE(environment.open()->personCount(), 1203);
    QVERIFY(survivor);
    ABConnection::setBusyTimeoutMs(5000);
}

void RecordWalkTest::largeAdditionAloneBypassesTheLogOnlyForItsTransaction()
{
    TestEnvironment environment;
    const QString path = environment.addressBookPath();
    const QString rollbackJournal = path + QStringLiteral("-journal");
    const QString log = path + QStringLiteral("-wal");
    ABAddressBookRef book = environment.open();
    addPerson(*book, QStringLiteral("First"));
    QVERIFY(book->save());

    // Alone with the file, the written-ahead people go into it under a rollback journal.
    addPeople(*book, 2500);
    QVERIFY(QFile::exists(rollbackJournal));
    QVERIFY(!QFile::exists(log) || QFileInfo(log).size() == 0);
    // A handle that comes meanwhile cannot turn the file back while the transaction is open.
    // It reads the state before the addition (once the addition outgrows the page cache, it
    // waits for the commit instead).
    QCOMPARE(environment.open()->personCount(), 1);
    QVERIFY(book->save());
    QVERIFY(!QFile::exists(rollbackJournal));
    QCOMPARE(journalMode(path), QStringLiteral("wal"));

    // With another handle open, the file keeps its log throughout, and that handle sees the
    // saved state only after the save.
    ABAddressBookRef other = environment.open();
    QCOMPARE(other->personCount(), 2501);
    addPeople(*book, 1500);
    QVERIFY(!QFile::exists(rollbackJournal));
    QCOMPARE(journalMode(path), QStringLiteral("wal"));
    QCOMPARE(environment.open()->personCount(), 2501);
    QVERIFY(book->save());
    QCOMPARE(environment.open()->personCount(), 4001);
    other.reset();

    // Reverted, the addition leaves nothing and the log is back.
    addPeople(*book, 1200);
    QVERIFY(QFile::exists(rollbackJournal));
    book->revert();
    QCOMPARE(journalMode(path), QStringLiteral("wal"));
    book.reset();

    // A file left under the rollback journal (a crash in the addition) gets its log back from
    // the first handle alone with it; people and groups are as they were.
    {
        auto db = ABConnection::open(path, false);
        QVERIFY(db);
        QCOMPARE((*db)->switchJournal("delete"), QStringLiteral("delete"));
    }
    QCOMPARE(environment.open()->personCount(), 4001);
    QCOMPARE(journalMode(path), QStringLiteral("wal"));
}

QTEST_GUILESS_MAIN(RecordWalkTest)
#include "record_walk_test.moc"
