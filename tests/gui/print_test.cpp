// The window's print service: the exported page becomes printed pages (here a PDF file).

#include "support/ExportFixture.h"
#include "support/RecordingUiHost.h"
#include "support/TestEnvironment.h"

#include "exporting/ContactPrinting.h"
#include "gui/QtPrintDialogHost.h"
#include "shell/AppData.h"

#include <QFile>
#include <QPrinter>
#include <QtTest>

namespace {

// Stands where the window's print dialog would: the user picks "print to a PDF file".
class PdfChoice : public QtPrintDialogHost {
public:
    explicit PdfChoice(QString path) : m_path(std::move(path)) {}

protected:
    bool choosePrinter(QPrinter &printer) override
    {
        docName = printer.docName();
        margins = printer.pageLayout().margins(QPageLayout::Point);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(m_path);
        return answer;
    }

public:
    QString docName;
    QMarginsF margins;
    bool answer = true;

private:
    QString m_path;
};

} // namespace

class PrintTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void printsThePageAndRemovesTheFile();
    void manyContactsMakeSeveralPages();
    void cancelledDialogPrintsNothing();
};

static EntryList addPeople(const TestEnvironment &environment, int count)
{
    ABAddressBookRef book = environment.open();
    QList<ABRecordRef> people;
    for (int i = 0; i < count; ++i) {
        ABRecordRef person = ABRecord::createPerson(book->copyDefaultSource());
        person->setValue(kABPersonFirstNameProperty, QStringLiteral("Zoë %1").arg(i));
        person->setValue(kABPersonLastNameProperty, QStringLiteral("Alves & <Filhos>"));
        person->setValue(kABPersonNoteProperty, QStringLiteral("first line\nsecond line"));
        book->addRecord(person);
        people.append(person);
    }
    book->save();
    return ExportFixture::rowsOf(people);
}

void PrintTest::printsThePageAndRemovesTheFile()
{
    TestEnvironment environment;
    RecordingUiHost ui;
    AppData::sharedInstance().setCharSet(1);
    const EntryList rows = addPeople(environment, 2);
    QCOMPARE(ContactPrinting::exportPrintFile(rows, nullptr), 2);
    QFile page(ContactPrinting::printFilePath());
    QVERIFY(page.open(QIODevice::ReadOnly));
    const QByteArray html = page.readAll();
    page.close();
    QVERIFY(html.contains("<body text=\"#000000\">"));
    QVERIFY(html.contains("charset=iso-8859-1"));
    QVERIFY(html.contains("<td>Zo\xeb 0</td>"));

    const QString pdf = environment.path(QStringLiteral("contacts.pdf"));
    PdfChoice dialog(pdf);
    QCOMPARE(ContactPrinting::printExportedFile(&dialog), ContactPrinting::Outcome::Printed);
    QVERIFY(!QFile::exists(ContactPrinting::printFilePath()));
    QCOMPARE(dialog.docName, QStringLiteral("Contacts"));
    QCOMPARE(dialog.margins, QMarginsF(72, 72, 72, 72));
    QFile output(pdf);
    QVERIFY(output.open(QIODevice::ReadOnly));
    const QByteArray bytes = output.readAll();
    QVERIFY(bytes.startsWith("%PDF"));
    QCOMPARE(bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r") + bytes.count("/Type /Page "), 1);
    QVERIFY(ui.alerts.isEmpty());
}

void PrintTest::manyContactsMakeSeveralPages()
{
    TestEnvironment environment;
    const EntryList rows = addPeople(environment, 60);
    QCOMPARE(ContactPrinting::exportPrintFile(rows, nullptr), 60);
    QFile page(ContactPrinting::printFilePath());
    QVERIFY(page.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(page.readAll());

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(environment.path(QStringLiteral("all.pdf")));
    const int pages = QtPrintDialogHost::printPage(html, printer);
    QVERIFY2(pages > 1, qPrintable(QString::number(pages)));

    // The user's page range is honoured.
    QPrinter second(QPrinter::HighResolution);
    second.setOutputFormat(QPrinter::PdfFormat);
    second.setOutputFileName(environment.path(QStringLiteral("second.pdf")));
    second.setPrintRange(QPrinter::PageRange);
    second.setFromTo(2, 2);
    QCOMPARE(QtPrintDialogHost::printPage(html, second), 1);
}

void PrintTest::cancelledDialogPrintsNothing()
{
    TestEnvironment environment;
    const EntryList rows = addPeople(environment, 1);
    QCOMPARE(ContactPrinting::exportPrintFile(rows, nullptr), 1);
    PdfChoice dialog(environment.path(QStringLiteral("never.pdf")));
    dialog.answer = false;
    QCOMPARE(ContactPrinting::printExportedFile(&dialog), ContactPrinting::Outcome::Cancelled);
    QVERIFY(!QFile::exists(environment.path(QStringLiteral("never.pdf"))));
    QVERIFY(!QFile::exists(ContactPrinting::printFilePath()));
    QVERIFY(dialog.isPrintingAvailable());
}

QTEST_MAIN(PrintTest)
#include "print_test.moc"
