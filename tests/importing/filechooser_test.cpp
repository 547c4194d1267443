#include "RecordingUiHost.h"
#include "TestEnvironment.h"
#include "addressbook/ABConnection.h"
#include "addressbook/ABSources.h"
#include "addressbook/AddressBookBusy.h"
#include "formats/common/ImportOutcome.h"
#include "importing/CSVHeaderViewController.h"
#include "importing/FileChooserViewController.h"
#include "screens/ScreenCatalog.h"
#include "shell/AppData.h"
#include "shell/Documents.h"
#include "shell/ScreenRegistry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTest>

namespace {

void writeFile(const QString &name, const QByteArray &content)
{
    QFile file(Documents::filePath(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

const QByteArray kCard = "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Silva;Anna;;;\r\nTEL;CELL:123\r\nEND:VCARD\r\n"
                         "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Costa;Bruno;;;\r\nEND:VCARD\r\n";

// Imports one file through the screen and answers the reader's result.
int importThroughScreen(FileChooserViewController &screen, const QString &name)
{
    QSignalSpy finished(&screen, &FileChooserViewController::importFinished);
    screen.importFile(name);
    if (finished.isEmpty() && !finished.wait(20000))
        return -100;
    return finished.first().first().toInt();
}

} // namespace

class FileChooserTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { ScreenCatalog::registerAll(); }

    void detailsLineSizes_data()
    {
        QTest::addColumn<qint64>("size");
        QTest::addColumn<QString>("suffix");
        QTest::newRow("1023 bytes") << qint64(1023) << QStringLiteral(" (1023 bytes)");
        QTest::newRow("1 KB") << qint64(1024) << QStringLiteral(" (1.00 KB)");
        QTest::newRow("largest KB") << qint64(1048575) << QStringLiteral(" (1024.00 KB)");
        QTest::newRow("1 MB") << qint64(1048576) << QStringLiteral(" (1.00 MB)");
        QTest::newRow("1 GB") << qint64(1073741824) << QStringLiteral(" (1.00 GB)");
        QTest::newRow("no size") << qint64(-1) << QString();
    }

    void detailsLineSizes()
    {
        QFETCH(qint64, size);
        QFETCH(QString, suffix);
        const QDateTime when(QDate(2024, 3, 5), QTime(7, 8, 9));
        QCOMPARE(FileChooserViewController::detailsLine(when, size), QStringLiteral("2024-03-05 07:08:09") + suffix);
    }

    void listingShowsKindsAndHidesOwnFiles()
    {
        TestEnvironment env;
        RecordingUiHost host;
        for (const char *name : {"a.ldif", "b.VCF", "c.vnbin", "d.csv", "e.txt", "f.htm", "g.zip", "settings.plist",
                                 "Vennaro_1.log", "dropbox.flag", "h.odd"})
            writeFile(QString::fromLatin1(name), "x");
        QDir().mkpath(Documents::filePath(QStringLiteral("folder")));
        FileChooserViewController screen;
        screen.loadFiles(FileChooserViewController::ImportMode);
        QStringList names, icons;
        QList<bool> importable;
        for (const auto &row : screen.rows()) {
            names.append(row.name);
            icons.append(row.icon);
            importable.append(row.importable);
        }
        QCOMPARE(names, (QStringList{QStringLiteral("a.ldif"), QStringLiteral("b.VCF"), QStringLiteral("c.vnbin"), QStringLiteral("d.csv"),
                                     QStringLiteral("e.txt"), QStringLiteral("f.htm"), QStringLiteral("folder"), QStringLiteral("g.zip"),
                                     QStringLiteral("h.odd")}));
        QCOMPARE(icons[1], QStringLiteral("f_vcf.png"));
        QCOMPARE(icons[6], QStringLiteral("f_folder.png"));
        QCOMPARE(importable, (QList<bool>{true, true, true, true, false, false, false, false, false}));
        QVERIFY(screen.rows()[6].details.isEmpty());
        QVERIFY(screen.rows()[0].details.endsWith(QStringLiteral(" (1 bytes)")));
        QVERIFY(host.alerts.isEmpty());
        QVERIFY(screen.rightButtonEnabled());
        QCOMPARE(screen.sectionHeader(), QStringLiteral("Import"));
        QCOMPARE(screen.footer(), QStringLiteral("Note: .LDIF, .VCF, .VNBIN and .CSV files (shown in blue color) can be imported."));
    }

    void nothingToListOrImportWarns()
    {
        TestEnvironment env;
        RecordingUiHost host;
        FileChooserViewController screen;
        screen.loadFiles(FileChooserViewController::ImportMode);
        QCOMPARE(host.lastText(), QStringLiteral("No files found!"));
        QCOMPARE(host.lastTitle(), QStringLiteral("Warning"));
        QVERIFY(!screen.rightButtonEnabled());

        writeFile(QStringLiteral("notes.txt"), "hello");
        screen.loadFiles(FileChooserViewController::ImportMode);
        QCOMPARE(host.lastText(), QStringLiteral("No files in LDIF, VCF, CSV or BIN format!"));
        screen.selectRow(0);
        QCOMPARE(host.lastText(), QStringLiteral("File format not supported!"));
        screen.loadFiles(FileChooserViewController::SendEmailMode);
        QCOMPARE(host.alerts.size(), 3);
    }

    void tapAsksFirstUnlessTurnedOff()
    {
        TestEnvironment env;
        RecordingUiHost host;
        writeFile(QStringLiteral("people.vcf"), kCard);
        FileChooserViewController screen;
        screen.loadFiles(FileChooserViewController::ImportMode);
        QSignalSpy finished(&screen, &FileChooserViewController::importFinished);
        host.answers.enqueue(0); // No
        screen.selectRow(0);
        QCOMPARE(host.lastText(), QStringLiteral("Confirm import file."));
        QCOMPARE(host.alerts.last().buttons, (QStringList{QStringLiteral("No"), QStringLiteral("Yes")}));
        QTest::qWait(200);
        QVERIFY(finished.isEmpty());

        AppData::sharedInstance().setConfirmImport(0);
        screen.selectRow(0);
        QVERIFY(finished.wait(20000));
        QCOMPARE(finished.first().first().toInt(), 2);
        QCOMPARE(host.lastText(), QStringLiteral("2 records added."));
        QVERIFY(!screen.isLocked());
        QCOMPARE(host.lockHistory, (QList<bool>{true, false}));
        QCOMPARE(host.progressTitles.first(), QStringLiteral("Please Wait ...\n\nImport in progress\n\n"));
        QCOMPARE(env.open()->personCount(), 2);
    }

    void upperCaseVcfGoesToTheVCardReader()
    {
        TestEnvironment env;
        RecordingUiHost host;
        writeFile(QStringLiteral("PEOPLE.VCF"), kCard);
        FileChooserViewController screen;
        QCOMPARE(importThroughScreen(screen, QStringLiteral("PEOPLE.VCF")), 2);
        QCOMPARE(env.open()->personCount(), 2);
    }

    void resultMessagesAndBrokenFiles()
    {
        TestEnvironment env;
        RecordingUiHost host;
        writeFile(QStringLiteral("one.vcf"), "BEGIN:VCARD\r\nN:Solo;Han;;;\r\nEND:VCARD\r\n");
        writeFile(QStringLiteral("none.ldif"), "# nothing here\n");
        writeFile(QStringLiteral("broken.vnbin"), "bplist00 broken");
        writeFile(QStringLiteral("broken.vcf"), "BEGIN:VCARD\r\nN:Open;Card\r\n");
        FileChooserViewController screen;
        QCOMPARE(importThroughScreen(screen, QStringLiteral("one.vcf")), 1);
        QCOMPARE(host.lastText(), QStringLiteral("1 record added."));
        QCOMPARE(importThroughScreen(screen, QStringLiteral("none.ldif")), 0);
        QCOMPARE(host.lastText(), QStringLiteral("No records found."));
        QCOMPARE(importThroughScreen(screen, QStringLiteral("broken.vnbin")), -1);
        QCOMPARE(host.lastText(), QStringLiteral("Error importing file."));
        QCOMPARE(importThroughScreen(screen, QStringLiteral("broken.vcf")), -1);
        QCOMPARE(host.lastText(), QStringLiteral("Error importing file."));
        QCOMPARE(env.open()->personCount(), 1);
    }

    void importMeetingABusyAddressBookSaysSo_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("vCard") << QStringLiteral("people.vcf") << kCard;
        QTest::newRow("LDIF") << QStringLiteral("people.ldif") << QByteArray("dn: cn=Anna\nsn: Silva\n\n");
        QTest::newRow("CSV") << QStringLiteral("people.csv") << QByteArray("Last\nSilva\n");
    }

    void importMeetingABusyAddressBookSaysSo()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        TestEnvironment env;
        RecordingUiHost host;
        QCOMPARE(env.open()->personCount(), 0);
        writeFile(name, content);
        // Another window or command is in the middle of its save, past this one's wait.
        auto other = ABConnection::open(env.addressBookPath(), false);
        QVERIFY(other);
        QVERIFY((*other)->exec("BEGIN IMMEDIATE"));
        ABConnection::setBusyTimeoutMs(100);
        FileChooserViewController screen;
        int result = 0;
        if (name.endsWith(QLatin1String(".csv"))) {
            QSignalSpy finished(&screen, &FileChooserViewController::importFinished);
            screen.importFile(name);
            screen.beginImportCSV();
            QVERIFY(finished.wait(20000));
            result = finished.first().first().toInt();
        } else {
            result = importThroughScreen(screen, name);
        }
        ABConnection::setBusyTimeoutMs(5000);
        QCOMPARE(result, ImportOutcome::kAddressBookBusy);
        QCOMPARE(host.lastText(), AddressBookBusy::message());
        QVERIFY((*other)->exec("ROLLBACK"));
        other->reset();
        QCOMPARE(env.open()->personCount(), 0);
        ScreenRegistry::clear();
    }

    void backupOfAnExchangeSourceIsRefused()
    {
        TestEnvironment env;
        RecordingUiHost host;
        env.open()->addSource(kABSourceTypeExchange, QStringLiteral("Work"));
        QCOMPARE(ABSources::choiceCount(), 3);
        ABSources::setSelectedIndex(2);
        writeFile(QStringLiteral("backup.vnbin"), "whatever");
        FileChooserViewController screen;
        screen.importFile(QStringLiteral("backup.vnbin"));
        QCOMPARE(host.lastText(), QStringLiteral("Not supported by Exchange server."));
        QCOMPARE(host.lastTitle(), QStringLiteral("Vennaro"));
        QVERIFY(host.lockHistory.isEmpty());
    }

    void csvGoesStraightToTheMappingScreen()
    {
        TestEnvironment env;
        RecordingUiHost host;
        writeFile(QStringLiteral("people.csv"), "First,Last,Email\nAnna,Silva,anna@example.org\n");
        writeFile(QStringLiteral("empty.csv"), "");
        FileChooserViewController screen;
        screen.loadFiles(FileChooserViewController::ImportMode);
        screen.selectRow(1); // people.csv, never asked
        QCOMPARE(host.stack.size(), 1);
        QCOMPARE(host.stack.last()->screenNumber(), int(CSVHeaderScreen));
        QVERIFY(!screen.bCanRelease);
        QVERIFY(host.alerts.isEmpty());

        QSignalSpy finished(&screen, &FileChooserViewController::importFinished);
        screen.beginImportCSV();
        QVERIFY(finished.wait(20000));
        QCOMPARE(finished.first().first().toInt(), 1);
        QCOMPARE(env.open()->copyArrayOfAllPeople().first()->copyText(kABPersonLastNameProperty), QStringLiteral("Silva"));

        screen.selectRow(0); // empty.csv
        QCOMPARE(host.lastText(), QStringLiteral("Missing CSV header."));
        QCOMPARE(host.lastTitle(), QStringLiteral("Error"));
        ScreenRegistry::clear();
    }

    void secondImportWhileOneRunsIsRefused()
    {
        TestEnvironment env;
        RecordingUiHost host;
        writeFile(QStringLiteral("first.vcf"), kCard);
        writeFile(QStringLiteral("second.vcf"), "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Solo;Han;;;\r\nEND:VCARD\r\n");
        FileChooserViewController screen;
        QSignalSpy finished(&screen, &FileChooserViewController::importFinished);
        screen.importFile(QStringLiteral("first.vcf"));
        screen.importFile(QStringLiteral("second.vcf"));
        QVERIFY(finished.wait(20000));
        QTest::qWait(200);
        QCOMPARE(finished.size(), 1);
        QCOMPARE(finished.first().first().toInt(), 2);
        QCOMPARE(host.lockHistory, (QList<bool>{true, false}));
        QCOMPARE(env.open()->personCount(), 2);
    }

    void swipeDeletesTheFile()
    {
        TestEnvironment env;
        RecordingUiHost host;
        writeFile(QStringLiteral("old.txt"), "x");
        FileChooserViewController screen;
        screen.loadFiles(FileChooserViewController::ImportMode);
        const qsizetype alerts = host.alerts.size();
        screen.deleteRow(0);
        QVERIFY(screen.rows().isEmpty());
        QVERIFY(!QFile::exists(Documents::filePath(QStringLiteral("old.txt"))));
        QCOMPARE(host.alerts.size(), alerts); // a file goes without a question
    }

    void swipedFolderGoesOnlyAfterYes()
    {
        TestEnvironment env;
        RecordingUiHost host;
        QVERIFY(QDir().mkpath(Documents::filePath(QStringLiteral("export/inner"))));
        writeFile(QStringLiteral("export/inner/a.vcf"), kCard);
        FileChooserViewController screen;
        screen.loadFiles(FileChooserViewController::ImportMode);
        QCOMPARE(screen.rows().size(), 1);

        host.answers.enqueue(0); // No
        screen.deleteRow(0);
        QCOMPARE(host.lastText(), QStringLiteral("Delete the folder export and everything in it?"));
        QCOMPARE(host.alerts.last().buttons, (QStringList{QStringLiteral("No"), QStringLiteral("Yes")}));
        QVERIFY(QFile::exists(Documents::filePath(QStringLiteral("export/inner/a.vcf"))));
        QCOMPARE(screen.rows().size(), 1);

        host.answers.enqueue(1); // Yes
        screen.deleteRow(0);
        QVERIFY(!QFileInfo::exists(Documents::filePath(QStringLiteral("export"))));
        QVERIFY(screen.rows().isEmpty());
    }

    void handedInCsvReachesTheMappingScreen_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("lower case") << QStringLiteral("people.csv");
        QTest::newRow("upper case") << QStringLiteral("PEOPLE.CSV");
    }

    void handedInCsvReachesTheMappingScreen()
    {
        QFETCH(QString, name);
        TestEnvironment env;
        RecordingUiHost host;
        writeFile(name, "First,Last\nAnna,Silva\n");
        FileChooserViewController screen;
        QSignalSpy finished(&screen, &FileChooserViewController::importFinished);
        screen.importFile(name); // as the main menu hands a file over
        QCOMPARE(host.stack.size(), 1);
        QCOMPARE(host.stack.last()->screenNumber(), int(CSVHeaderScreen));
        QVERIFY(host.alerts.isEmpty());
        QVERIFY(finished.isEmpty());
        ScreenRegistry::clear();
    }
};

QTEST_GUILESS_MAIN(FileChooserTest)
#include "filechooser_test.moc"
