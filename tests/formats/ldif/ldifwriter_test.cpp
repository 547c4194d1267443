// The LDIF printers of the export engine: the three schemas byte for byte on the fixed address
// book, in both character sets; the generic schema read by an outside RFC 2849 parser
// (python3-ldap), entry by entry; the escaped DN and the base64 values.
// VENNARO_WRITE_GOLDEN=1 writes the expected files instead (check them by hand).

#include "support/ExportFixture.h"
#include "support/GoldenFile.h"
#include "support/TestEnvironment.h"

#include "exporting/ExportEngine.h"
#include "formats/ldif/LdifText.h"
#include "platform/DevLog.h"
#include "shell/Documents.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

#include <ctime>

using namespace Qt::StringLiterals;

namespace {

QByteArray exportRows(const EntryList &rows, int schema, int charSet, std::optional<QString> dn = std::nullopt)
{
    ExportRequest request;
    request.people = rows;
    request.path = Documents::filePath(u"out.ldif"_s);
    request.format = ExportFormat::LDIF;
    request.layout = schema;
    request.charSet = charSet;
    request.dnSuffix = dn;
    if (exportData(request) < 0)
        return {};
    QFile file(request.path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

ABRecordRef addPerson(ABAddressBook &book, const QString &first, const QString &last)
{
    ABRecordRef person = ABRecord::createPerson(book.copyDefaultSource());
    person->setValue(kABPersonFirstNameProperty, first);
    person->setValue(kABPersonLastNameProperty, last);
    book.addRecord(person);
    return person;
}

// The entries parsed one by one by python3-ldap's LDIF parser: [dn, {attribute: [values]}].
QJsonArray parseWithPythonLdap(const QByteArray &ldif, QString *error)
{
    const QString script = uR"(
import base64, io, json, sys
import ldif
data = open(sys.argv[1], 'rb').read()
head, _, body = data.partition(b'\n')
assert head == b'version: 1', head
out = []
for chunk in body.split(b'\n\n'):
    if not chunk.strip(b'\n'):
        continue
    parser = ldif.LDIFRecordList(io.BytesIO(b'version: 1\n' + chunk.strip(b'\n') + b'\n'), process_url_schemes=[])
    parser.parse()
    assert len(parser.all_records) == 1, chunk
    dn, entry = parser.all_records[0]
    out.append([dn, {k: [base64.b64encode(v).decode() for v in vs] for k, vs in entry.items()}])
print(json.dumps(out))
)"_s;
    QTemporaryFile file;
    file.open();
    file.write(ldif);
    file.flush();
    QProcess python;
    python.start(u"/usr/bin/python3"_s, {u"-c"_s, script, file.fileName()});
    if (!python.waitForFinished(60000) || python.exitCode() != 0) {
        *error = QString::fromUtf8(python.readAllStandardError());
        return {};
    }
    return QJsonDocument::fromJson(python.readAllStandardOutput()).array();
}

QByteArray decoded(const QJsonValue &value)
{
    return QByteArray::fromBase64(value.toString().toLatin1());
}

}

class LdifWriterTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void goldenFiles_data();
    void goldenFiles();
    void genericSchemaReadsInPythonLdap();
    void distinguishedNameEscaping_data();
    void distinguishedNameEscaping();
    void plainOrBase64_data();
    void plainOrBase64();
    void unsafeValuesAndNamesEndToEnd();
};

void LdifWriterTest::initTestCase()
{
    // Dates are written in the local time zone.
    qputenv("TZ", "Europe/Lisbon");
    tzset();
}

void LdifWriterTest::goldenFiles_data()
{
    QTest::addColumn<int>("schema");
    QTest::addColumn<int>("charSet");
    QTest::addColumn<QString>("expected");
    const char *names[] = {"vennaro", "generic", "mozilla"};
    for (int schema = 0; schema < 3; ++schema) {
        for (int charSet = 0; charSet < 2; ++charSet) {
            const QString file = u"ldif-export/fixture-%1-%2.ldif"_s.arg(QLatin1String(names[schema]),
                                                                          charSet ? u"latin1"_s : u"utf8"_s);
            QTest::newRow(qPrintable(file)) << schema << charSet << file;
        }
    }
}

void LdifWriterTest::goldenFiles()
{
    QFETCH(int, schema);
    QFETCH(int, charSet);
    QFETCH(QString, expected);
    TestEnvironment environment;
    ABAddressBookRef book = environment.open();
    const EntryList rows = ExportFixture::build(*book);
    book.reset();
    QStringList log;
    DevLog::setSink([&log](const QString &line) { log.append(line); });
    const QByteArray ldif = exportRows(rows, schema, charSet, schema == 1 ? std::optional(u"o=Example, c=PT"_s) : std::nullopt);
    DevLog::setSink({});
    const QString difference = GoldenFile::compare(ldif, expected);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
    // Łukasz has no ISO 8859-1 form: his whole entry is left out, with a log line.
    QCOMPARE(log.filter(u"entry skipped"_s).size(), charSet);
}

void LdifWriterTest::genericSchemaReadsInPythonLdap()
{
    // UTF-8 only: LDIF parsers read text as UTF-8, an ISO 8859-1 file is for older programs.
    const int charSet = 0;
    TestEnvironment environment;
    ABAddressBookRef book = environment.open();
    const EntryList rows = ExportFixture::build(*book);
    book.reset();
    QString error;
    const QJsonArray entries = parseWithPythonLdap(exportRows(rows, 1, charSet, u"o=Example"_s), &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    // Ana, Łukasz, Zed, A&B; the vanished and the nameless person have no entry.
    QCOMPARE(entries.size(), 4);
    const QJsonObject ana = entries[0].toArray()[1].toObject();
    QCOMPARE(entries[0].toArray()[0].toString(), u"cn=Dra. Ana Maria Sousa PhD,o=Example"_s);
    QCOMPARE(decoded(ana[u"description"_s].toArray()[0]), QByteArray("Line one \"quoted\"\nLine two <b>bold</b> & more"));
    const QJsonArray streets = ana[u"street"_s].toArray();
    QVERIFY(!streets.isEmpty());
    QCOMPARE(decoded(streets[0]), QByteArray("Rua Augusta 10\n2.º esq."));
    QCOMPARE(ana[u"jpegPhoto"_s].toArray().size(), 1);
    QVERIFY(decoded(ana[u"jpegPhoto"_s].toArray()[0]).startsWith("\xff\xd8"));
    const QJsonObject markup = entries.last().toArray()[1].toObject();
    QCOMPARE(entries.last().toArray()[0].toString(), u"cn=A&B \\<x\\>,o=Example"_s);
    QCOMPARE(decoded(markup[u"cn"_s].toArray()[0]), QByteArray("A&B <x>"));
}

void LdifWriterTest::distinguishedNameEscaping_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QByteArray>("escaped");
    QTest::newRow("comma") << QByteArray("Doe, John") << QByteArray("Doe\\, John");
    QTest::newRow("specials") << QByteArray("a+b\"c\\d<e>f;g") << QByteArray("a\\+b\\\"c\\\\d\\<e\\>f\\;g");
    QTest::newRow("leading hash, inner hash") << QByteArray("#1 #2") << QByteArray("\\#1 #2");
    QTest::newRow("leading and trailing blanks") << QByteArray("  Ann  ") << QByteArray("\\  Ann \\ ");
    QTest::newRow("one blank") << QByteArray(" ") << QByteArray("\\ ");
    QTest::newRow("NUL") << QByteArray("a\0b", 3) << QByteArray("a\\00b");
    QTest::newRow("UTF-8 untouched") << QByteArray("Łukasz = ok") << QByteArray("Łukasz = ok");
}

void LdifWriterTest::distinguishedNameEscaping()
{
    QFETCH(QByteArray, value);
    QFETCH(QByteArray, escaped);
    QCOMPARE(LdifText::escapeDnValue(value), escaped);
}

void LdifWriterTest::plainOrBase64_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<bool>("base64");
    QTest::newRow("plain") << QByteArray("Ana: x < y") << false;
    QTest::newRow("latin-1 letters") << QByteArray("Jos\xe9") << false;
    QTest::newRow("leading blank") << QByteArray(" Ana") << true;
    QTest::newRow("leading colon") << QByteArray(":Ana") << true;
    QTest::newRow("leading less-than") << QByteArray("<Ana>") << true;
    QTest::newRow("CR") << QByteArray("a\rb") << true;
    QTest::newRow("LF at the end") << QByteArray("ab\n") << true;
    QTest::newRow("NUL") << QByteArray("a\0b", 3) << true;
}

void LdifWriterTest::plainOrBase64()
{
    QFETCH(QByteArray, value);
    QFETCH(bool, base64);
    QCOMPARE(LdifText::needsBase64(value), base64);
}

void LdifWriterTest::unsafeValuesAndNamesEndToEnd()
{
    TestEnvironment environment;
    ABAddressBookRef book = environment.open();
    ABRecordRef doe = addPerson(*book, u"John"_s, u"Doe,"_s);
    doe->setValue(kABPersonOrganizationProperty, u" Leading blank"_s);
    doe->setValue(kABPersonJobTitleProperty, u":colon"_s);
    doe->setValue(kABPersonNoteProperty, u"one line\r"_s);
    ABRecordRef hash = addPerson(*book, u"#Hash"_s, u"Last "_s);
    QVERIFY(book->save());
    const EntryList rows = ExportFixture::rowsOf({doe, hash});
    book.reset();

    for (int schema = 0; schema < 3; ++schema) {
        const QByteArray ldif = exportRows(rows, schema, 0, u"dc=example,dc=org"_s);
        QVERIFY(ldif.contains("\ndn: cn=John Doe\\,,dc=example,dc=org\n"));
        QVERIFY(ldif.contains("\ncn: John Doe,\n"));
        QVERIFY(ldif.contains("\no:: " + QByteArray(" Leading blank").toBase64() + '\n'));
        QVERIFY(ldif.contains("\ntitle:: " + QByteArray(":colon").toBase64() + '\n'));
        QVERIFY(ldif.contains("\ndescription:: " + QByteArray("one line\r").toBase64() + '\n'));
        // The hash first and the blank last are escaped in the DN.
        QVERIFY2(ldif.contains("\ndn: cn=\\#Hash Last\\ ,dc=example,dc=org\n"), ldif.constData());
    }
    // An outside parser reads back what was written.
    QString error;
    const QJsonArray entries = parseWithPythonLdap(exportRows(rows, 1, 0), &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QCOMPARE(entries.size(), 2);
    QCOMPARE(entries[0].toArray()[0].toString(), u"cn=John Doe\\,"_s);
    QCOMPARE(decoded(entries[0].toArray()[1].toObject()[u"o"_s].toArray()[0]), QByteArray(" Leading blank"));
}

QTEST_GUILESS_MAIN(LdifWriterTest)
#include "ldifwriter_test.moc"
