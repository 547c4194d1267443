// The print path up to the print service: the selected contacts become print.html, which is
// handed to the window's service once and is gone afterwards.

#include "support/ExportFixture.h"
#include "support/RecordingUiHost.h"
#include "support/TestEnvironment.h"

#include "exporting/ContactPrinting.h"
#include "exporting/PrintDialogHost.h"

#include <QFile>
#include <QtTest>

namespace {

// Stands where the window's print service would and keeps what it was given.
class RecordingPrintService : public PrintDialogHost {
public:
    bool isPrintingAvailable() override { return available; }
    Outcome printHtml(const QString &html, const QString &jobName) override
    {
        pages.append(html);
        jobNames.append(jobName);
        return answer;
    }
    bool available = true;
    Outcome answer = Outcome::Printed;
    QStringList pages;
    QStringList jobNames;
};

} // namespace

class PrintPathTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void outcomes_data()
    {
        QTest::addColumn<bool>("available");
        QTest::addColumn<int>("serviceAnswer");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<int>("pagesHanded");
        QTest::addColumn<QString>("alert");
        QTest::newRow("printed") << true << int(PrintDialogHost::Outcome::Printed) << int(ContactPrinting::Outcome::Printed) << 1 << QString();
        QTest::newRow("cancelled") << true << int(PrintDialogHost::Outcome::Cancelled) << int(ContactPrinting::Outcome::Cancelled) << 1
                                   << QString();
        QTest::newRow("printer failed") << true << int(PrintDialogHost::Outcome::Failed) << int(ContactPrinting::Outcome::Failed) << 1
                                        << QString();
        QTest::newRow("no printer") << false << int(PrintDialogHost::Outcome::Printed) << int(ContactPrinting::Outcome::NoPrinter) << 0
                                    << QStringLiteral("Printer is not available!");
    }

    void outcomes()
    {
        QFETCH(bool, available);
        QFETCH(int, serviceAnswer);
        QFETCH(int, outcome);
        QFETCH(int, pagesHanded);
        QFETCH(QString, alert);
        TestEnvironment environment;
        RecordingUiHost ui;
        ABAddressBookRef book = environment.open();
        ABRecordRef person = ABRecord::createPerson(book->copyDefaultSource());
        person->setValue(kABPersonFirstNameProperty, QStringLiteral("Zoë"));
        book->addRecord(person);
        book->save();
        QCOMPARE(ContactPrinting::exportPrintFile(ExportFixture::rowsOf({person}), nullptr), 1);

        RecordingPrintService service;
        service.available = available;
        service.answer = PrintDialogHost::Outcome(serviceAnswer);
        QCOMPARE(int(ContactPrinting::printExportedFile(&service)), outcome);
        QCOMPARE(service.pages.size(), pagesHanded);
        if (pagesHanded) {
            QVERIFY(service.pages.first().contains(QStringLiteral("<td>Zoë</td>")));
            QCOMPARE(service.jobNames.first(), QStringLiteral("Contacts"));
        }
        QCOMPARE(ui.lastText(), alert);
        QVERIFY(!QFile::exists(ContactPrinting::printFilePath()));
    }

    void withoutServiceNothingIsPrinted()
    {
        TestEnvironment environment;
        QFile page(ContactPrinting::printFilePath());
        QVERIFY(page.open(QIODevice::WriteOnly));
        page.write("<html></html>");
        page.close();
        QCOMPARE(ContactPrinting::printExportedFile(nullptr), ContactPrinting::Outcome::NoDialog);
        QVERIFY(!QFile::exists(ContactPrinting::printFilePath()));
        QCOMPARE(ContactPrinting::printExportedFile(nullptr), ContactPrinting::Outcome::Failed); // nothing left to print
    }
};

QTEST_GUILESS_MAIN(PrintPathTest)
#include "print_test.moc"
