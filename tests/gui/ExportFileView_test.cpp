// The export screen's view offscreen: what it shows per format and what its controls change.

#include "support/ExportFixture.h"
#include "support/RecordingUiHost.h"
#include "support/TestEnvironment.h"

#include "exporting/ExportFileViewController.h"
#include "gui/ExportFileView.h"
#include "shell/AppData.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace Qt::StringLiterals;

class ExportFileViewTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void formatChoiceShowsItsControls();
    void exportButtonUsesTheTypedName();
};

void ExportFileViewTest::formatChoiceShowsItsControls()
{
    TestEnvironment environment;
    ExportFileViewController screen;
    EntryList rows{std::make_shared<EntryData>(), std::make_shared<EntryData>()};
    screen.setData(rows);
    ExportFileView view(&screen);
    QCoreApplication::processEvents();
    QCOMPARE(view.findChild<QLabel *>(u"records"_s)->text(), u"Records to export:  2"_s);
    QVERIFY(view.findChild<QPushButton *>(u"format0"_s)->isChecked());
    QCOMPARE(view.findChild<QLabel *>(u"formatTitle"_s)->text(), u"Binary"_s);
    QWidget *schemaRow = view.findChild<QWidget *>(u"schemaRow"_s);
    QWidget *singleRow = view.findChild<QWidget *>(u"singleRow"_s);
    QVERIFY(schemaRow->isHidden() && singleRow->isHidden());

    view.findChild<QPushButton *>(u"format1"_s)->click();
    QCoreApplication::processEvents();
    QCOMPARE(screen.format(), int(ExportFileViewController::LDIF));
    QCOMPARE(view.findChild<QLabel *>(u"formatTitle"_s)->text(), u"LDAP Data Interchange Format"_s);
    QVERIFY(!schemaRow->isHidden() && singleRow->isHidden());
    QVERIFY(view.findChild<QPushButton *>(u"schema0"_s)->isChecked());
    view.findChild<QPushButton *>(u"schema1"_s)->click();
    view.findChild<QLineEdit *>(u"dn"_s)->setText(u"o=Example"_s);
    QCOMPARE(screen.schema(), 1);
    QCOMPARE(screen.textDN(), u"o=Example"_s);

    view.findChild<QPushButton *>(u"format2"_s)->click();
    QCoreApplication::processEvents();
    QVERIFY(schemaRow->isHidden() && !singleRow->isHidden());
    view.findChild<QCheckBox *>(u"singleVCard"_s)->setChecked(false);
    QVERIFY(!screen.singleVCard());
}

void ExportFileViewTest::exportButtonUsesTheTypedName()
{
    TestEnvironment environment;
    AppData::sharedInstance().setFileName(u"kept"_s);
    RecordingUiHost host;
    ExportFileViewController screen;
    ExportFileView view(&screen);
    auto *name = view.findChild<QLineEdit *>(u"fileName"_s);
    QCOMPARE(name->text(), u"kept"_s); // ReuseFilename on
    QCOMPARE(name->placeholderText(), u"<file name>"_s);
    auto *button = qobject_cast<QPushButton *>(view.navigationRightWidget());
    QVERIFY(button);
    QCOMPARE(button->text(), u"Export"_s);
    name->clear();
    button->click();
    QCOMPARE(host.lastText(), u"Missing filename."_s);

    ABAddressBookRef book = environment.open();
    ABRecordRef person = ABRecord::createPerson(book->copyDefaultSource());
    person->setValue(kABPersonFirstNameProperty, u"Ana"_s);
    book->addRecord(person);
    QVERIFY(book->save());
    screen.setData(ExportFixture::rowsOf({person}));
    book.reset();
    view.findChild<QPushButton *>(u"format4"_s)->click();
    QTest::keyClicks(name, u"typed"_s);
    button->click();
    QTRY_VERIFY(!screen.isBusy());
    QCOMPARE(host.lastText(), u"1 record exported to file: typed.txt"_s);
}

QTEST_MAIN(ExportFileViewTest)
#include "ExportFileView_test.moc"
