// The groups every writer names for a person: in the book's group order, unnamed groups left
// out, found by identifier among many members.

#include "support/TestEnvironment.h"
#include "formats/common/GroupNames.h"

#include <QTest>

class GroupMembershipsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void namesFollowTheBookGroupOrder()
    {
        TestEnvironment environment;
        ABAddressBookRef book = environment.open();
        QList<ABRecordRef> people;
        for (int i = 0; i < 300; ++i) {
            ABRecordRef person = ABRecord::createPerson(book->copyDefaultSource());
            person->setValue(kABPersonFirstNameProperty, QStringLiteral("P%1").arg(i));
            book->addRecord(person);
            people.append(person);
        }
        QVERIFY(book->save());
        auto addGroup = [&](const QString &name, const QList<int> &members) {
            ABRecordRef group = ABRecord::createGroup(book->copyDefaultSource());
            if (!name.isEmpty())
                group->setValue(kABGroupNameProperty, name);
            book->addRecord(group);
            // Members are added from the last: the order of membership must not matter.
            for (qsizetype i = members.size() - 1; i >= 0; --i)
                group->addMember(people[members[i]]);
        };
        addGroup(QStringLiteral("Family"), {7, 299, 0});
        addGroup(QString(), {7});
        addGroup(QStringLiteral("Work"), {299, 7, 150});
        QVERIFY(book->save());

        const GroupMemberships groups(*environment.open());
        const QStringList familyFirst{QStringLiteral("Family"), QStringLiteral("Work")};
        QCOMPARE(groups.namesOf(people[7]->recordID()), familyFirst);
        QCOMPARE(groups.namesOf(people[299]->recordID()), familyFirst);
        QCOMPARE(groups.namesOf(people[0]->recordID()), QStringList{QStringLiteral("Family")});
        QCOMPARE(groups.namesOf(people[150]->recordID()), QStringList{QStringLiteral("Work")});
        QVERIFY(groups.of(people[1]->recordID()).empty());
        QCOMPARE(groups.names(), familyFirst);
        QVERIFY(GroupMemberships().of(people[7]->recordID()).empty());
    }
};

QTEST_GUILESS_MAIN(GroupMembershipsTest)
#include "group_memberships_test.moc"
