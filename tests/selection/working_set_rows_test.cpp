// The rows of a large working set: sorted on two threads and merged, they must come in the
// order one stable sort of the people gives, equal names keeping the order they were read in.

#include "addressbook/ABPersonCompare.h"
#include "selection/ABEntriesLoader.h"
#include "support/TestEnvironment.h"

#include <QtTest>

class WorkingSetRowsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void largeListIsOneStableSort()
    {
        TestEnvironment environment;
        ABAddressBookRef book = environment.open();
        // Few distinct names, so that equal ones lie in both halves; accents and case for the
        // collation; a person without a name gets no row.
        const QStringList firsts{QStringLiteral("Ana"), QStringLiteral("Ána"), QStringLiteral("ana"), QStringLiteral("Bruno"),
                                 QString()};
        const QStringList lasts{QStringLiteral("Silva"), QStringLiteral("Sá"), QString(), QStringLiteral("Zé")};
        for (int i = 0; i < 9000; ++i) {
            ABRecordRef person = ABRecord::createPerson(book->copyDefaultSource());
            if (const QString first = firsts[i % firsts.size()]; !first.isEmpty())
                person->setValue(kABPersonFirstNameProperty, first);
            if (const QString last = lasts[(i / 5) % lasts.size()]; !last.isEmpty())
                person->setValue(kABPersonLastNameProperty, last);
            if (i % 7 == 0)
                person->setValue(kABPersonOrganizationProperty, QStringLiteral("Org %1").arg(i % 3));
            QVERIFY(book->addRecord(person));
        }
        QVERIFY(book->save());
        book.reset();

        for (int ordering : {kABPersonSortByFirstName, kABPersonSortByLastName}) {
            ABAddressBookRef reader = environment.open();
            QList<ABRecordRef> people = reader->copyArrayOfAllPeople();
            ABPersonSortPeopleByName(people, ordering);
            QList<ABRecordID> expected;
            for (const ABRecordRef &person : std::as_const(people)) {
                if (!person->copyCompositeName().isEmpty())
                    expected.append(person->recordID());
            }
            QList<ABRecordID> rows;
            for (const EntryDataRef &row : ABEntriesLoader::rowsForWorkingSet(*reader, ordering, true))
                rows.append(row->recID);
            QVERIFY(rows.size() > 4096);
            QCOMPARE(rows, expected);
        }
    }
};

QTEST_GUILESS_MAIN(WorkingSetRowsTest)
#include "working_set_rows_test.moc"
