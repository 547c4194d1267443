// The export screen with a recording host: texts, the file name rules, each writer's result
// and the files it leaves in the documents folder.

#include "support/ExportFixture.h"
#include "support/FileSizeLimit.h"
#include "support/RecordingUiHost.h"
#include "support/TestEnvironment.h"

#include "exporting/ExportFileViewController.h"
#include "shell/AppData.h"
#include "shell/Documents.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

EntryList addPeople(ABAddressBook &book, const QStringList &names)
{
    QList<ABRecordRef> people;
    for (const QString &name : names) {
        ABRecordRef person = ABRecord::createPerson(book.copyDefaultSource());
        person->setValue(kABPersonFirstNameProperty, name);
        person->setValue(kABPersonLastNameProperty, u"Silva"_s);
        book.addRecord(person);
        people.append(person);
    }
    book.save();
    return ExportFixture::rowsOf(people);
}

// Runs an export of the screen's rows and waits for its result.
void exportAs(ExportFileViewController &screen, int format, const QString &name)
{
    screen.setFormat(format);
    screen.setTextFile(name);
    screen.buttonPressed();
    QTRY_VERIFY_WITH_TIMEOUT(!screen.isBusy(), 20000);
}

QStringList zipEntries(const QString &path)
{
    QProcess unzip;
    unzip.start(u"unzip"_s, {u"-Z1"_s, path});
    unzip.waitForFinished(30000);
    return QString::fromUtf8(unzip.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
}

}

class ExportFileViewControllerTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void screenTexts();
    void fileNameChecks();
    void reuseFilename();
    void resultsAndFiles_data();
    void resultsAndFiles();
    void winKeepsWhatHasTheName_data();
    void winKeepsWhatHasTheName();
    void fullDiskIsReported_data();
    void fullDiskIsReported();
    void writerFailuresAreReported_data();
    void writerFailuresAreReported();
};

void ExportFileViewControllerTest::screenTexts()
{
    TestEnvironment environment;
    ABAddressBookRef book = environment.open();
    EntryList rows = addPeople(*book, {u"Ana"_s, u"Bia"_s, u"Caio"_s});
    rows[1]->selected = false;
    ExportFileViewController screen;
    screen.setData(rows);
    QCOMPARE(screen.title(), u"Select Format"_s);
    QCOMPARE(screen.recordsText(), u"Records to export:  2"_s);
    QCOMPARE(screen.charSetText(), u"UTF-8"_s);
    QCOMPARE(ExportFileViewController::formatSegments(),
             QStringList({u"BIN"_s, u"LDIF"_s, u"VCF"_s, u"HTML"_s, u"TXT"_s, u"CSV"_s, u"WIN"_s}));
    QCOMPARE(screen.format(), int(ExportFileViewController::BIN));
    QCOMPARE(screen.formatTitle(), u"Binary"_s);
    QVERIFY(!screen.showsSchema() && !screen.showsSingleFileSwitch());

    screen.setFormat(ExportFileViewController::LDIF);
    screen.setSchema(2);
    screen.setFormat(ExportFileViewController::CSV);
    screen.setFormat(ExportFileViewController::LDIF);
    QCOMPARE(screen.formatTitle(), u"LDAP Data Interchange Format"_s);
    QVERIFY(screen.formatNote().startsWith(u"Create a LDAP Data Interchange Format file.\nSelect schema \"Vennaro\""_s));
    QVERIFY(screen.showsSchema() && !screen.showsSingleFileSwitch());
    QCOMPARE(screen.schema(), 0); // rebuilt with the first segment selected
    QCOMPARE(ExportFileViewController::schemaSegments(), QStringList({u"Vennaro"_s, u"Generic"_s, u"Mozilla"_s}));

    screen.setFormat(ExportFileViewController::VCF);
    QVERIFY(!screen.showsSchema() && screen.showsSingleFileSwitch());
    QCOMPARE(screen.extensionOf(ExportFileViewController::VCF), u"vcf"_s);
    screen.setSingleVCard(false);
    QCOMPARE(screen.extensionOf(ExportFileViewController::VCF), u"zip"_s);
    screen.setFormat(ExportFileViewController::CSV);
    QCOMPARE(screen.formatTitle(), u"Comma separted values"_s);
    QCOMPARE(screen.formatNote(), u"Create a comma-separated values file.\nPictures are not exported."_s);
}

void ExportFileViewControllerTest::fileNameChecks()
{
    TestEnvironment environment;
    AppData::sharedInstance().setSaveFilename(0);
    ABAddressBookRef book = environment.open();
    RecordingUiHost host;
    ExportFileViewController screen;
    screen.setData(addPeople(*book, {u"Ana"_s}));
    screen.buttonPressed();
    QCOMPARE(host.lastTitle(), u"Error"_s);
    QCOMPARE(host.lastText(), u"Missing filename."_s);
    // A name reaching outside the documents folder would also have its folder removed first.
    const QString parent = QDir(environment.documents()).absoluteFilePath(u".."_s);
    for (const QString &name : {u".."_s, u"../escape"_s, u"."_s}) {
        screen.setFormat(ExportFileViewController::WIN);
        screen.setTextFile(name);
        screen.buttonPressed();
        QVERIFY(host.lastText().startsWith(u"Invalid filename"_s));
    }
    QVERIFY(QDir(parent).exists());
    QVERIFY(host.progressTitles.isEmpty());
    QVERIFY(host.lockHistory.isEmpty());
}

void ExportFileViewControllerTest::reuseFilename()
{
    TestEnvironment environment;
    ABAddressBookRef book = environment.open();
    const EntryList rows = addPeople(*book, {u"Ana"_s});
    RecordingUiHost host;
    AppData &settings = AppData::sharedInstance();
    settings.setFileName(u"previous"_s);
    {
        ExportFileViewController screen; // ReuseFilename is on by default
        QCOMPARE(screen.textFile(), u"previous"_s);
        screen.setData(rows);
        exportAs(screen, ExportFileViewController::TXT, u"next"_s);
    }
    QCOMPARE(settings.fileName(), u"next"_s);
    settings.setFileName(QString());
    settings.loadSettings(); // saved as well
    QCOMPARE(settings.fileName(), u"next"_s);

    settings.setSaveFilename(0);
    ExportFileViewController screen;
    QCOMPARE(screen.textFile(), QString());
    screen.setData(rows);
    exportAs(screen, ExportFileViewController::TXT, u"other"_s);
    QCOMPARE(settings.fileName(), u"next"_s);
    QVERIFY(QFile::exists(Documents::filePath(u"other.txt"_s)));
}

void ExportFileViewControllerTest::resultsAndFiles_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<bool>("singleVCard");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("people");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("file");
    using F = ExportFileViewController;
    QTest::newRow("csv one") << int(F::CSV) << true << u"mine"_s << 1 << u"1 record exported to file: mine.csv"_s << u"mine.csv"_s;
    QTest::newRow("csv typed with extension") << int(F::CSV) << true << u"mine.csv"_s << 2
                                              << u"2 records exported to file: mine.csv.csv"_s << u"mine.csv.csv"_s;
    QTest::newRow("bin") << int(F::BIN) << true << u"all"_s << 2 << u"2 records exported to file: all.vnbin"_s << u"all.vnbin"_s;
    QTest::newRow("ldif") << int(F::LDIF) << true << u"dir"_s << 2 << u"2 records exported to file: dir.ldif"_s << u"dir.ldif"_s;
    QTest::newRow("html") << int(F::HTML) << true << u"page"_s << 2 << u"2 records exported to file: page.html"_s << u"page.html"_s;
    QTest::newRow("vcf single") << int(F::VCF) << true << u"cards"_s << 2 << u"2 records exported to file: cards.vcf"_s << u"cards.vcf"_s;
    QTest::newRow("vcf per contact") << int(F::VCF) << false << u"cards"_s << 2 << u"2 records exported to file: cards.zip"_s
                                     << u"cards.zip"_s;
    QTest::newRow("win") << int(F::WIN) << true << u"win"_s << 2 << u"2 records exported to file: win.zip"_s << u"win.zip"_s;
}

void ExportFileViewControllerTest::resultsAndFiles()
{
    QFETCH(int, format);
    QFETCH(bool, singleVCard);
    QFETCH(QString, typed);
    QFETCH(int, people);
    QFETCH(QString, message);
    QFETCH(QString, file);
    TestEnvironment environment;
    ABAddressBookRef book = environment.open();
    const EntryList rows = addPeople(*book, QStringList({u"Ana"_s, u"Bia"_s}).mid(0, people));
    book.reset();
    RecordingUiHost host;
    ExportFileViewController screen;
    screen.setData(rows);
    screen.setSingleVCard(singleVCard);
    exportAs(screen, format, typed);

    QCOMPARE(host.lastTitle(), u"Vennaro"_s);
    QCOMPARE(host.lastText(), message);
    QCOMPARE(host.progressTitles, QStringList({u"Please Wait ...\n\nExporting data\n\n"_s}));
    QCOMPARE(host.progressValues.first(), 0.0);
    QVERIFY(!host.progressOpen);
    QCOMPARE(host.lockHistory, QList<bool>({true, false}));
    QVERIFY(QFileInfo(Documents::filePath(file)).isFile());
    if (file.endsWith(u".zip"_s)) {
        // The folder the records were written to is gone; the archive holds them as "name/file".
        QVERIFY(!QFileInfo::exists(Documents::filePath(typed)));
        const QStringList entries = zipEntries(Documents::filePath(file));
        QCOMPARE(entries.size(), people);
        QVERIFY2(entries.first().startsWith(typed + u'/'), qPrintable(entries.join(u' ')));
    }
}

void ExportFileViewControllerTest::winKeepsWhatHasTheName_data()
{
    QTest::addColumn<QString>("typed");
    QTest::newRow("a folder") << u"mine"_s;
    QTest::newRow("the settings file") << u"settings.plist"_s;
    QTest::newRow("the recovery file") << u"trash.vnbin"_s;
}

void ExportFileViewControllerTest::winKeepsWhatHasTheName()
{
    QFETCH(QString, typed);
    TestEnvironment environment;
    ABAddressBookRef book = environment.open();
    const EntryList rows = addPeople(*book, {u"Ana"_s});
    book.reset();
    const QString kept = typed == u"mine"_s ? typed + u"/old.contact"_s : typed;
    QDir(environment.documents()).mkpath(typed == u"mine"_s ? typed : u"."_s);
    QFile old(Documents::filePath(kept));
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("keep me");
    old.close();
    // Only the export may touch the documents folder here, not the saved file name.
    AppData::sharedInstance().setSaveFilename(0);
    RecordingUiHost host;
    ExportFileViewController screen;
    screen.setData(rows);
    exportAs(screen, ExportFileViewController::WIN, typed);
    QCOMPARE(host.lastText(), u"1 record exported to file: %1.zip"_s.arg(typed));
    QCOMPARE(zipEntries(Documents::filePath(typed + u".zip"_s)), QStringList({typed + u"/Ana Silva.contact"_s}));
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), QByteArray("keep me"));
    // The export's own folder is gone.
    QCOMPARE(QDir(environment.documents()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name),
             QStringList({typed, typed + u".zip"_s}));
}

void ExportFileViewControllerTest::fullDiskIsReported_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<bool>("singleVCard");
    QTest::addColumn<QString>("file");
    using F = ExportFileViewController;
    QTest::newRow("vcf single") << int(F::VCF) << true << u"mine.vcf"_s;
    QTest::newRow("vcf per contact") << int(F::VCF) << false << u"mine.zip"_s;
    QTest::newRow("win") << int(F::WIN) << true << u"mine.zip"_s;
}

void ExportFileViewControllerTest::fullDiskIsReported()
{
    QFETCH(int, format);
    QFETCH(bool, singleVCard);
    QFETCH(QString, file);
    TestEnvironment environment;
    ABAddressBookRef book = environment.open();
    const EntryList rows = addPeople(*book, {u"Ana"_s, u"Bia"_s});
    // The open handle keeps the database's shared-memory file, which reading needs, in place.
    QFile earlier(Documents::filePath(file));
    QVERIFY(earlier.open(QIODevice::WriteOnly));
    earlier.write("earlier export");
    earlier.close();
    RecordingUiHost host;
    ExportFileViewController screen;
    screen.setData(rows);
    screen.setSingleVCard(singleVCard);
    {
        FileSizeLimit full(100);
        exportAs(screen, format, u"mine"_s);
    }
    QCOMPARE(host.lastTitle(), u"Error"_s);
    QCOMPARE(host.lastText(), u"Couldn't write the file %1."_s.arg(file));
    QVERIFY(earlier.open(QIODevice::ReadOnly));
    QCOMPARE(earlier.readAll(), QByteArray("earlier export"));
    QCOMPARE(QDir(environment.documents()).entryList({u".*"_s, u"mine*"_s}, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{file});
}

void ExportFileViewControllerTest::writerFailuresAreReported_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<bool>("singleVCard");
    QTest::addColumn<QString>("blocker"); // a folder where the file should go
    QTest::addColumn<QString>("message");
    using F = ExportFileViewController;
    QTest::newRow("csv") << int(F::CSV) << true << u"mine.csv"_s << u"Couldn't write the file mine.csv."_s;
    QTest::newRow("bin") << int(F::BIN) << true << u"mine.vnbin"_s << u"Couldn't write the file mine.vnbin."_s;
    QTest::newRow("vcf single") << int(F::VCF) << true << u"mine.vcf"_s << u"Couldn't write the file mine.vcf."_s;
    QTest::newRow("win zip") << int(F::WIN) << true << u"mine.zip"_s << u"Couldn't write the file mine.zip."_s;
}

void ExportFileViewControllerTest::writerFailuresAreReported()
{
    QFETCH(int, format);
    QFETCH(bool, singleVCard);
    QFETCH(QString, blocker);
    QFETCH(QString, message);
    TestEnvironment environment;
    ABAddressBookRef book = environment.open();
    const EntryList rows = addPeople(*book, {u"Ana"_s, u"Bia"_s});
    book.reset();
    QVERIFY(QDir(environment.documents()).mkpath(blocker + u"/keep"_s));
    RecordingUiHost host;
    ExportFileViewController screen;
    screen.setData(rows);
    screen.setSingleVCard(singleVCard);
    exportAs(screen, format, u"mine"_s);
    QCOMPARE(host.lastTitle(), u"Error"_s);
    QCOMPARE(host.lastText(), message);
    QVERIFY(!host.progressOpen);
    QCOMPARE(host.lockHistory, QList<bool>({true, false}));
    QVERIFY(QDir(Documents::filePath(blocker + u"/keep"_s)).exists());
}

QTEST_GUILESS_MAIN(ExportFileViewControllerTest)
#include "ExportFileViewController_test.moc"
