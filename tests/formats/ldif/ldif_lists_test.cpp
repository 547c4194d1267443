// Mailing lists of a mail client's LDIF export: a group of the listed people, not a person.

#include "formats/ldif/LdifReader.h"

#include "support/BookQueries.h"
#include "support/TestEnvironment.h"

#include "shell/AppData.h"

#include <QFile>
#include <QtTest>

using namespace Qt::StringLiterals;

class LdifListsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void mailingListBecomesAGroup();
    void listOfALargeFileFindsItsMembers();
};

void LdifListsTest::mailingListBecomesAGroup()
{
    TestEnvironment env;
    const QString path = env.path(u"lists.ldif"_s);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    // The list stands before one of its members; one member DN is written with other blanks
    // and letter case, one names nobody in the file.
    file.write("dn: cn=Lea Kurz,mail=lea@example.org\n"
               "objectclass: top\nobjectclass: person\n"
               "cn: Lea Kurz\ngivenName: Lea\nsn: Kurz\nmail: lea@example.org\n\n"
               "dn: cn=new list\n"
               "objectclass: top\nobjectclass: groupOfNames\n"
               "cn: new list\n"
               "member: cn=Lea Kurz,mail=lea@example.org\n"
               "member: CN=Rui Costa, mail=rui@example.org\n"
               "member: cn=Nobody,mail=nobody@example.org\n\n"
               "dn: cn=Rui Costa,mail=rui@example.org\n"
               "objectclass: top\nobjectclass: person\n"
               "cn: Rui Costa\ngivenName: Rui\nsn: Costa\nmail: rui@example.org\n");
    file.close();

    QCOMPARE(ldif_import(path, FieldFilter::Default, 0, nullptr), 2);
    ABAddressBookRef book = env.open();
    QCOMPARE(book->personCount(), 2);
    const QList<ABRecordRef> groups = book->copyArrayOfAllGroups();
    QCOMPARE(groups.size(), 1);
    QCOMPARE(groups.first()->copyText(kABGroupNameProperty), u"new list"_s);
    QCOMPARE(BookQueries::groupsOf(*book, BookQueries::personNamed(*book, u"Kurz"_s)), QStringList{u"new list"_s});
    QCOMPARE(BookQueries::groupsOf(*book, BookQueries::personNamed(*book, u"Costa"_s)), QStringList{u"new list"_s});
    QCOMPARE(groups.first()->copyArrayOfAllMembers().size(), 2);
}

// A file of more people than the book holds back before writing, read in batches: a list finds
// members that were written long before it and some that were not written yet, a DN given twice
// means the later person, as in a small file, and the people come in the order of the file.
// A list in the middle of the file is no person either.
void LdifListsTest::listOfALargeFileFindsItsMembers()
{
    TestEnvironment env;
    const QString path = env.path(u"large.ldif"_s);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    auto person = [](int n, const QByteArray &dn) {
        return "dn: " + dn + "\nobjectclass: person\ngivenName: P" + QByteArray::number(n) + "\nsn: Many\n"
               + (n % 10 ? "" : "vnroGroup: Tenth\n") + "\n";
    };
    for (int n = 0; n < 2500; ++n) {
        file.write(person(n, "cn=P" + QByteArray::number(n)));
        if (n == 1000)
            file.write("dn: cn=mid list\nobjectclass: groupOfNames\ncn: mid list\nmember: cn=P10\n\n");
    }
    // P3's DN again, further on: the list means this person.
    file.write(person(2500, "cn=P3"));
    file.write("dn: cn=big list\nobjectclass: groupOfNames\ncn: big list\n"
               "member: cn=P5\nmember: cn=P3\nmember: cn=P1999\nmember: cn=P2400\nmember: cn=P9999\n\n");
    file.close();

    QCOMPARE(ldif_import(path, FieldFilter::Default, 0, nullptr), 2501);
    ABAddressBookRef book = env.open();
    const QList<ABRecordRef> people = book->copyArrayOfAllPeople();
    QCOMPARE(people.size(), 2501);
    for (int n = 0; n < 2501; ++n)
        QCOMPARE(people[n]->copyText(kABPersonFirstNameProperty), u"P"_s + QString::number(n));
    QMap<QString, QStringList> members;
    for (const ABRecordRef &group : book->copyArrayOfAllGroups()) {
        QStringList &names = members[group->copyText(kABGroupNameProperty)];
        for (const ABRecordRef &member : group->copyArrayOfAllMembers())
            names.append(member->copyText(kABPersonFirstNameProperty));
        names.sort();
    }
    QCOMPARE(members.keys(), (QStringList{u"Tenth"_s, u"big list"_s, u"mid list"_s}));
    QCOMPARE(members[u"big list"_s], (QStringList{u"P1999"_s, u"P2400"_s, u"P2500"_s, u"P5"_s}));
    QCOMPARE(members[u"mid list"_s], QStringList{u"P10"_s});
    QCOMPARE(members[u"Tenth"_s].size(), 251); // P0, P10 … P2490, P2500
}

QTEST_GUILESS_MAIN(LdifListsTest)
#include "ldif_lists_test.moc"
