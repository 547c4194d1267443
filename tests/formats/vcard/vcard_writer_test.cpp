#include "formats/vcard/QuotedPrintable.h"
#include "formats/vcard/RecordFile.h"
#include "formats/vcard/VCARDimport.h"
#include "formats/vcard/VCardComposer.h"
#include "formats/vcard/VCardWriter.h"

#include "support/GoldenFile.h"
#include "support/RecordingProgress.h"
#include "support/SampleContacts.h"
#include "support/TestEnvironment.h"

#include "shell/AppData.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

namespace {

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The REV line holds the time of the run.
QByteArray withFixedRevision(QByteArray card)
{
    static const QRegularExpression rev(QStringLiteral("REV:\\d{8}T\\d{6}Z\r\n"));
    QString text = QString::fromLatin1(card);
    const qsizetype found = text.count(rev);
    text.replace(rev, QStringLiteral("REV:20000101T000000Z\r\n"));
    return found == card.count("REV:") ? text.toLatin1() : QByteArray("bad REV line");
}

// Parses every card of the file with python3-vobject; answers its count or an error text.
QString vobjectCount(const QString &path, const char *encoding)
{
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral("-c"),
                  QStringLiteral("import sys, vobject\n"
                                 "text = open(sys.argv[1], encoding=sys.argv[2], newline='').read()\n"
                                 "cards = [c for c in vobject.readComponents(text)]\n"
                                 "for c in cards:\n"
                                 "    for line in c.lines(): line.value\n"
                                 "print(len(cards))\n"),
                  path, QString::fromLatin1(encoding)});
    python.waitForFinished(60000);
    if (python.exitCode() != 0)
        return QString::fromUtf8(python.readAllStandardError());
    return QString::fromUtf8(python.readAllStandardOutput()).trimmed();
}

// Adds one saved person per (first, last) pair; answers a selected row for each.
EntryList addPeople(ABAddressBook &book, const QList<std::pair<QString, QString>> &names)
{
    EntryList rows;
    for (const auto &[first, last] : names) {
        ABRecordRef person = ABRecord::createPerson();
        person->setValue(kABPersonFirstNameProperty, first);
        person->setValue(kABPersonLastNameProperty, last);
        book.addRecord(person);
        book.save();
        auto row = std::make_shared<EntryData>();
        row->recID = person->recordID();
        rows.append(row);
    }
    return rows;
}

} // namespace

class VCardWriterTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void singleFileMatchesGolden_data()
    {
        QTest::addColumn<int>("charSet");
        QTest::addColumn<QString>("golden");
        QTest::addColumn<QByteArray>("pythonEncoding");
        QTest::newRow("UTF-8") << 0 << QStringLiteral("vcard/sample_utf8.vcf") << QByteArray("utf-8");
        QTest::newRow("ISO-8859-1") << 1 << QStringLiteral("vcard/sample_latin1.vcf") << QByteArray("latin-1");
    }

    void singleFileMatchesGolden()
    {
        QFETCH(int, charSet);
        QFETCH(QString, golden);
        QFETCH(QByteArray, pythonEncoding);
        TestEnvironment env;
        EntryList rows = SampleContacts::fill(*env.open());
        RecordingProgress progress;
        const QString base = env.documents() + QStringLiteral("/contacts");
        QCOMPARE(VCardWriter::exportDataVCARD(base, rows, FieldFilter::Default, charSet, true, &progress), 4);
        QCOMPARE(progress.values, (QList<double>{0.25, 0.5, 0.75, 1.0}));
        const QByteArray written = readFile(base + QStringLiteral(".vcf"));
        QVERIFY(written.endsWith("END:VCARD\r\n\r\n"));
        const QString difference = GoldenFile::compare(withFixedRevision(written), golden);
        QVERIFY2(difference.isEmpty(), qPrintable(difference));
        // Another program's parser reads every card we write.
        QCOMPARE(vobjectCount(base + QStringLiteral(".vcf"), pythonEncoding.constData()), QStringLiteral("4"));
    }

    void fieldFilterLeavesFamiliesOut()
    {
        TestEnvironment env;
        EntryList rows = SampleContacts::fill(*env.open());
        const QString base = env.documents() + QStringLiteral("/bare");
        QCOMPARE(VCardWriter::exportDataVCARD(base, rows.mid(0, 1), 0, 0, true, nullptr), 1);
        const QByteArray card = readFile(base + QStringLiteral(".vcf"));
        for (const char *keyword : {"TEL", "EMAIL", "ADR", "URL", "IMPP", "NOTE", "PHOTO", "X-GROUP", "BDAY"})
            QVERIFY2(!card.contains(QByteArray("\r\n") + keyword), keyword);
        for (const char *keyword : {"N;", "FN;", "NICKNAME;", "ORG;", "TITLE;", "REV:"})
            QVERIFY2(card.contains(QByteArray("\r\n") + keyword), keyword);
    }

    void quotedPrintable_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArray>("encoded");
        QTest::newRow("equals") << QByteArray("a=b") << QByteArray("a=3Db");
        QTest::newRow("blank before LF") << QByteArray("x \ny") << QByteArray("x=20=0D=0Ay");
        QTest::newRow("tab before LF") << QByteArray("x\t\ny") << QByteArray("x=09=0D=0Ay");
        QTest::newRow("CR LF is three escapes") << QByteArray("a\r\nb") << QByteArray("a=0D=0D=0Ab");
        QTest::newRow("inner blank and tab stay") << QByteArray("a b\tc ") << QByteArray("a b\tc ");
        QTest::newRow("eight-bit and DEL") << QByteArray("\xc3\xa9\x7f~!") << QByteArray("=C3=A9=7F~!");
        QTest::newRow("soft break at 70") << QByteArray(75, 'a') << QByteArray(70, 'a') + "=\r\n " + QByteArray(5, 'a');
        QTest::newRow("escape passes 70 before the break")
            << QByteArray(69, 'a') + "=b" << QByteArray(69, 'a') + "=3D=\r\n b";
        QTest::newRow("exactly 70") << QByteArray(70, 'a') << QByteArray(70, 'a');
    }

    void quotedPrintable()
    {
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, encoded);
        QCOMPARE(QuotedPrintable::encodeQuotedPrintable(input), encoded);
    }

    void photoFolding_data()
    {
        QTest::addColumn<int>("jpegBytes");
        QTest::addColumn<QList<int>>("lineLengths");
        QTest::newRow("40 characters: one line") << 30 << QList<int>{32 + 40, 0};
        QTest::newRow("44 characters: a blank and two more") << 33 << QList<int>{32 + 42, 3, 0};
        QTest::newRow("116 characters") << 87 << QList<int>{32 + 42, 74, 2, 0};
    }

    void photoFolding()
    {
        QFETCH(int, jpegBytes);
        QFETCH(QList<int>, lineLengths);
        QByteArray jpeg(jpegBytes, '\0');
        for (int i = 0; i < jpegBytes; ++i)
            jpeg[i] = char(i * 37 + 11);
        const QByteArray lines = VCardComposer::photoLines(jpeg);
        QVERIFY(lines.endsWith("\r\n\r\n"));
        QList<QByteArray> split = lines.chopped(2).split('\n');
        split.removeLast();
        QByteArray joined;
        QList<int> lengths;
        for (QByteArray line : split) {
            QVERIFY(line.endsWith('\r'));
            line.chop(1);
            lengths.append(int(line.size()));
            joined += lengths.size() == 1 ? line.mid(32) : line.mid(1);
        }
        lengths.append(0);
        QCOMPARE(lengths, lineLengths);
        QCOMPARE(joined, jpeg.toBase64());
    }

    void urlScheme_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("bare host") << QByteArray("www.example.org") << QByteArray("http://www.example.org");
        QTest::newRow("https stays") << QByteArray("https://x.example") << QByteArray("https://x.example");
        QTest::newRow("http stays") << QByteArray("http://x.example") << QByteArray("http://x.example");
        QTest::newRow("ftp stays") << QByteArray("FTP://x.example") << QByteArray("FTP://x.example");
        QTest::newRow("host with port") << QByteArray("host:8080/a") << QByteArray("http://host:8080/a");
    }

    void urlScheme()
    {
        QFETCH(QByteArray, stored);
        QFETCH(QByteArray, written);
        QCOMPARE(VCardComposer::urlValue(stored), written);
    }

    void revisionLineFollowsTheSecondGiven()
    {
        ABRecordRef person = ABRecord::createPerson();
        person->setValue(kABPersonFirstNameProperty, QStringLiteral("Zoë"));
        const VCardComposer composer(FieldFilter::Default & ~FieldFilter::Groups, 0);
        auto revision = [&](const QDateTime &now) {
            const QByteArray card = composer.compose(*person, now);
            const qsizetype at = card.indexOf("REV:");
            return card.mid(at, card.indexOf("\r\n", at) - at);
        };
        const QDateTime start(QDate(2026, 12, 9), QTime(10, 15, 0, 200), Qt::UTC);
        QCOMPARE(revision(start), QByteArray("REV:20261209T101500Z"));
        QCOMPARE(revision(start.addMSecs(700)), QByteArray("REV:20261209T101500Z"));
        QCOMPARE(revision(start.addMSecs(800)), QByteArray("REV:20261209T101501Z"));
        // Given in another zone, the line still says the UTC time.
        QCOMPARE(revision(start.toOffsetFromUtc(3600).addDays(400)), QByteArray("REV:20280113T101500Z"));
        QCOMPARE(revision(start), QByteArray("REV:20261209T101500Z"));
    }

    void oneFilePerRecordNames_data()
    {
        QTest::addColumn<QStringList>("lastNames");
        QTest::addColumn<QStringList>("files");
        const QString longName(300, QLatin1Char('x'));
        QTest::newRow("namesakes: underscores, then numbers")
            << QStringList(6, QStringLiteral("Smith"))
            << QStringList{QStringLiteral("John Smith.vcf"), QStringLiteral("John Smith_.vcf"), QStringLiteral("John Smith_4.vcf"),
                           QStringLiteral("John Smith_5.vcf"), QStringLiteral("John Smith__.vcf"), QStringLiteral("John Smith___.vcf")};
        QTest::newRow("separators, dots and control characters")
            << QStringList{QStringLiteral("AC/DC"), QStringLiteral("a\\b:c"), QStringLiteral("x\r\ny*?|")}
            << QStringList{QStringLiteral("John AC-DC.vcf"), QStringLiteral("John a-b-c.vcf"), QStringLiteral("John x--y---.vcf")};
        QTest::newRow("names too long for a file name are shortened")
            << QStringList{longName, longName}
            << QStringList{QStringLiteral("John ") + QString(246, QLatin1Char('x')) + QStringLiteral(".vcf"),
                           QStringLiteral("John ") + QString(245, QLatin1Char('x')) + QStringLiteral("_.vcf")};
    }

    void oneFilePerRecordNames()
    {
        QFETCH(QStringList, lastNames);
        QFETCH(QStringList, files);
        TestEnvironment env;
        QList<std::pair<QString, QString>> names;
        for (const QString &last : lastNames)
            names.append({QStringLiteral("John"), last});
        const EntryList rows = addPeople(*env.open(), names);
        const QString folder = env.documents() + QStringLiteral("/cards");
        QDir().mkpath(folder);
        // Every person has a file of its own, and the answer counts the files.
        QCOMPARE(VCardWriter::exportDataVCARD(folder, rows, FieldFilter::Default, 0, false, nullptr), int(files.size()));
        files.sort();
        QCOMPARE(QDir(folder).entryList(QDir::Files, QDir::Name), files);
        const QByteArray card = readFile(folder + QLatin1Char('/') + files.first());
        QVERIFY(card.startsWith("BEGIN:VCARD\r\nVERSION:2.1\r\nN;"));
        QVERIFY(card.endsWith("END:VCARD\r\n"));
    }

    void safeFileNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("safe");
        QTest::newRow("plain") << QStringLiteral("Ana Sousa") << QStringLiteral("Ana Sousa");
        QTest::newRow("parent folder") << QStringLiteral("..") << QStringLiteral("--");
        QTest::newRow("hidden") << QStringLiteral(".profile") << QStringLiteral("-profile");
        QTest::newRow("inner dots stay") << QStringLiteral("J. R. R.") << QStringLiteral("J. R. R.");
        QTest::newRow("windows separators") << QStringLiteral("..\\..\\boot.ini") << QStringLiteral("---..-boot.ini");
        QTest::newRow("drive") << QStringLiteral("C:x") << QStringLiteral("C-x");
        QTest::newRow("control") << QStringLiteral("a\tb\x7f") << QStringLiteral("a-b-");
        QTest::newRow("letters stay") << QStringLiteral("Žofia 李") << QStringLiteral("Žofia 李");
    }

    void safeFileNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, safe);
        QCOMPARE(RecordFile::safeFileName(name), safe);
    }

    void lineBreaksStayInsideTheCard_data()
    {
        QTest::addColumn<bool>("singleFile");
        QTest::newRow("single file") << true;
        QTest::newRow("file per record") << false;
    }

    void lineBreaksStayInsideTheCard()
    {
        QFETCH(bool, singleFile);
        TestEnvironment env;
        ABAddressBookRef book = env.open();
        EntryList rows = addPeople(*book, {{QStringLiteral("Jo\r\nEND:VCARD"), QStringLiteral("..\\x")}});
        ABRecordRef person = book->personWithRecordID(rows.first()->recID);
        person->setValue(kABPersonJobTitleProperty, QStringLiteral("Boss\r\nEND:VCARD\r\nBEGIN:VCARD\r\nFN:Mallory"));
        person->setValue(kABPersonOrganizationProperty, QStringLiteral("Acme\nInc"));
        person->setValue(kABPersonNicknameProperty, QStringLiteral("J\rJ"));
        QVERIFY(book->save());
        book.reset();
        const QString base = env.documents() + QStringLiteral("/cards");
        if (!singleFile)
            QDir().mkpath(base);
        QCOMPARE(VCardWriter::exportDataVCARD(base, rows, FieldFilter::Default, 0, singleFile, nullptr), 1);
        const QString path = singleFile ? base + QStringLiteral(".vcf")
                                        : base + QLatin1Char('/') + QDir(base).entryList(QDir::Files).value(0);
        const QByteArray written = readFile(path);
        QCOMPARE(written.count("\r\nEND:VCARD\r\n"), 1);
        QVERIFY(written.contains("TITLE;ENCODING=QUOTED-PRINTABLE;CHARSET=UTF-8:Boss=0D=0D=0AEND:VCARD"));
        // Our reader and another program's read one card, with the title in one piece.
        QCOMPARE(vobjectCount(path, "utf-8"), QStringLiteral("1"));
        TestEnvironment readBack;
        QCOMPARE(VCARDimport::importFile(path, FieldFilter::Default, 0, nullptr), 1);
        const QList<ABRecordRef> people = readBack.open()->copyArrayOfAllPeople();
        QCOMPARE(people.size(), 1);
        QVERIFY(people.first()->copyText(kABPersonJobTitleProperty).contains(QStringLiteral("FN:Mallory")));
        QCOMPARE(people.first()->copyText(kABPersonLastNameProperty), QStringLiteral("..\\x"));
    }

    void singleFileKeptWhenTheExportFails()
    {
        TestEnvironment env;
        EntryList rows = SampleContacts::fill(*env.open());
        const QString base = env.documents() + QStringLiteral("/contacts");
        QFile earlier(base + QStringLiteral(".vcf"));
        QVERIFY(earlier.open(QIODevice::WriteOnly));
        earlier.write("earlier export");
        earlier.close();
        // No address book: the earlier export stays as it was.
        ABAddressBook::setDefaultPath(env.path(QStringLiteral("missing/folder/x.db")));
        QFile blocker(env.path(QStringLiteral("missing")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        QCOMPARE(VCardWriter::exportDataVCARD(base, rows, FieldFilter::Default, 0, true, nullptr), -1);
        ABAddressBook::setDefaultPath(env.addressBookPath());
        QCOMPARE(readFile(earlier.fileName()), QByteArray("earlier export"));
        QCOMPARE(QDir(env.documents()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("contacts.vcf")});
    }

    void resultCountsSelectedRows()
    {
        TestEnvironment env;
        EntryList rows = SampleContacts::fill(*env.open());
        // One row unticked, one person deleted since the list was built.
        rows[1]->selected = false;
        ABAddressBookRef book = env.open();
        book->removeRecord(book->personWithRecordID(rows[2]->recID));
        book->save();
        RecordingProgress progress;
        const QString base = env.documents() + QStringLiteral("/some");
        QCOMPARE(VCardWriter::exportDataVCARD(base, rows, FieldFilter::Default, 0, true, &progress), 3);
        QCOMPARE(progress.values.size(), 2);
        QCOMPARE(readFile(base + QStringLiteral(".vcf")).count("BEGIN:VCARD"), 2);
    }

    // A selection long enough to be written by slices on two threads, the same people many
    // times over in a changing order: the file holds each row's card, in the rows' order.
    void longSelectionKeepsItsOrder()
    {
        TestEnvironment env;
        EntryList rows = SampleContacts::fill(*env.open());
        const QString base = env.documents() + QStringLiteral("/cards");
        QCOMPARE(VCardWriter::exportDataVCARD(base, rows, FieldFilter::Default, 0, true, nullptr), 4);
        const QByteArray four = withFixedRevision(readFile(base + QStringLiteral(".vcf")));
        QList<QByteArray> card;
        for (qsizetype at = 0; at < four.size();) {
            qsizetype next = four.indexOf("BEGIN:VCARD", at + 1);
            next = next < 0 ? four.size() : next;
            card.append(four.mid(at, next - at));
            at = next;
        }
        QCOMPARE(card.size(), 4);
        EntryList many;
        QByteArray expected;
        for (int i = 0; i < 3000; ++i) {
            const int index = (i * 5 + i / 11) % 4;
            many.append(rows[index]);
            expected += card[index];
        }
        RecordingProgress progress;
        QCOMPARE(VCardWriter::exportDataVCARD(base, many, FieldFilter::Default, 0, true, &progress), 3000);
        QVERIFY(withFixedRevision(readFile(base + QStringLiteral(".vcf"))) == expected);
        QCOMPARE(progress.values.last(), 1.0);
    }

    void singleFileThatCannotBeCreated()
    {
        TestEnvironment env;
        EntryList rows = SampleContacts::fill(*env.open());
        RecordingProgress progress;
        QCOMPARE(VCardWriter::exportDataVCARD(env.documents() + QStringLiteral("/missing/x"), rows,
                                              FieldFilter::Default, 0, true, &progress),
                 0);
        QCOMPARE(progress.values, QList<double>{1.0});
        QCOMPARE(VCardWriter::exportDataVCARD(env.documents() + QLatin1Char('/') + QString(300, QLatin1Char('n')),
                                              rows, FieldFilter::Default, 0, true, nullptr),
                 0);
    }
};

QTEST_GUILESS_MAIN(VCardWriterTest)
#include "vcard_writer_test.moc"
