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

QTEST_GUILESS_MAIN(LdifListsTest)
#include "ldif_lists_test.moc"
