// `vennaro export` for LDIF, vCard and Windows contacts, run as a program.

#include "support/TestEnvironment.h"

#include "shell/Documents.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QtTest>

using namespace Qt::StringLiterals;

class ExportFormatsCommandTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void ldifSchemasAndSuffix();
    void vcardAndWindowsContacts();
};

namespace {
void addPeople(const TestEnvironment &environment)
{
    ABAddressBookRef book = environment.open();
    for (const auto &[first, last] : {std::pair(u"John"_s, u"Doe,"_s), std::pair(u"Ana"_s, u"Sousa"_s)}) {
        ABRecordRef person = ABRecord::createPerson(book->copyDefaultSource());
        person->setValue(kABPersonFirstNameProperty, first);
        person->setValue(kABPersonLastNameProperty, last);
        person->setValue(kABPersonNicknameProperty, u"nick"_s);
        book->addRecord(person);
    }
    QVERIFY(book->save());
}

QByteArray readFile(const QString &name)
{
    QFile file(Documents::filePath(name));
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}
}

void ExportFormatsCommandTest::ldifSchemasAndSuffix()
{
    TestEnvironment environment;
    addPeople(environment);
    QString out, err;
    QCOMPARE(environment.runProgram({u"export"_s, u"--format"_s, u"ldif"_s, u"--name"_s, u"dir"_s}, &out, &err), 0);
    QCOMPARE(out, u"2 records exported to file: dir.ldif\n"_s);
    QByteArray ldif = readFile(u"dir.ldif"_s);
    QVERIFY(ldif.startsWith("version: 1\ndn: cn=John Doe\\,\nobjectclass: top\n"));
    QVERIFY(ldif.contains("objectclass: vnroPerson\n") && ldif.contains("vnroNickname: nick\n"));

    QCOMPARE(environment.runProgram({u"export"_s, u"--format"_s, u"ldif"_s, u"--name"_s, u"dir"_s, u"--schema"_s,
                                     u"mozilla"_s, u"--dn"_s, u"o=Example"_s},
                                    &out, &err),
             0);
    ldif = readFile(u"dir.ldif"_s);
    QVERIFY(ldif.contains("\ndn: cn=John Doe\\,,o=Example\n"));
    QVERIFY(ldif.contains("objectclass: mozillaAbPersonAlpha\n") && ldif.contains("mozillaNickname: nick\n"));

    QCOMPARE(environment.runProgram({u"export"_s, u"--format"_s, u"ldif"_s, u"--name"_s, u"dir"_s, u"--schema"_s, u"ldap"_s},
                                    &out, &err),
             1);
    QVERIFY(err.contains(u"--schema must be vennaro, generic or mozilla"_s));
}

void ExportFormatsCommandTest::vcardAndWindowsContacts()
{
    TestEnvironment environment;
    addPeople(environment);
    QString out, err;
    QCOMPARE(environment.runProgram({u"export"_s, u"--format"_s, u"vcf"_s, u"--name"_s, u"cards"_s}, &out, &err), 0);
    QCOMPARE(out, u"2 records exported to file: cards.vcf\n"_s);
    QCOMPARE(readFile(u"cards.vcf"_s).count("BEGIN:VCARD"), 2);

    QCOMPARE(environment.runProgram({u"export"_s, u"--format"_s, u"vcf"_s, u"--per-contact"_s, u"--name"_s, u"cards"_s}, &out, &err),
             0);
    QCOMPARE(out, u"2 records exported to file: cards.zip\n"_s);
    QCOMPARE(environment.runProgram({u"export"_s, u"--format"_s, u"win"_s, u"--name"_s, u"win"_s}, &out, &err), 0);
    QCOMPARE(out, u"2 records exported to file: win.zip\n"_s);
    for (const QString &zip : {u"cards.zip"_s, u"win.zip"_s}) {
        QProcess unzip;
        unzip.start(u"unzip"_s, {u"-tq"_s, Documents::filePath(zip)});
        QVERIFY(unzip.waitForFinished(30000));
        QCOMPARE(unzip.exitCode(), 0);
        // The folder the files were written to is removed after packing.
        QVERIFY(!QFileInfo::exists(Documents::filePath(zip.chopped(4))));
    }
    QCOMPARE(environment.runProgram({u"export"_s, u"--format"_s, u"win"_s, u"--name"_s, u".."_s}, &out, &err), 1);
}

QTEST_GUILESS_MAIN(ExportFormatsCommandTest)
#include "export_formats_test.moc"
