// The QR screen reached from the main menu as a user does: the QR row, the contact list in
// its QR mode, a tap on a contact, then the code.

#include "support/WindowFixture.h"

#include "addressbook/DemoSeeder.h"
#include "gui/MainWindow.h"
#include "gui/ScreenView.h"
#include "qr/QRCodeViewController.h"
#include "selection/ABEntriesViewController.h"
#include "shell/ScreenRegistry.h"

#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QtTest>

using namespace Qt::StringLiterals;

class QRCodeViewTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void mainMenuRowToTheCode();
};

void QRCodeViewTest::mainMenuRowToTheCode()
{
    WindowFixture fixture;
    DemoSeeder::Options options;
    options.count = 5;
    QVERIFY(DemoSeeder::seed(*fixture.env().open(), options));

    fixture.find<QPushButton>(u"row11"_s)->click(); // Create barcode (QR Code)
    WindowFixture::settle();
    auto *list = getScreen<ABEntriesViewController>(ABEntriesScreen);
    QTRY_VERIFY(!list->isBusy());
    WindowFixture::settle();
    auto *entries = fixture.find<QListView>(u"entries"_s);
    const QModelIndex first = entries->model()->index(1, 0); // line 0 is a section header
    QTest::mouseClick(entries->viewport(), Qt::LeftButton, {}, entries->visualRect(first).center());
    WindowFixture::settle();

    QTRY_COMPARE(fixture.top()->controller()->screenNumber(), int(QRCodeScreen));
    auto *screen = static_cast<QRCodeViewController *>(fixture.top()->controller());
    WindowFixture::settle();
    QCOMPARE(fixture.find<QLabel>(u"name"_s)->text(), list->rows().first()->name);
    QVERIFY(fixture.find<QPushButton>(u"size1"_s)->isChecked());
    QCOMPARE(fixture.find<QLabel>(u"sizeText"_s)->text(), u"QR Code size: 230x230"_s);
    fixture.find<QPushButton>(u"size2"_s)->click();
    WindowFixture::settle();
    QCOMPARE(fixture.find<QLabel>(u"sizeText"_s)->text(), u"QR Code size: 320x320"_s);
    auto *button = fixture.find<QPushButton>(u"qrButton"_s);
    QCOMPARE(button->text(), u"Generate QR Code"_s);

    button->click();
    WindowFixture::settle();
    QCOMPARE(button->text(), u"Save"_s);
    QVERIFY(!fixture.find<QWidget>(u"sizeRow"_s)->isVisible());
    auto *image = fixture.find<QLabel>(u"image"_s);
    QVERIFY(image->isVisible());
    QCOMPARE(image->pixmap().size(), QSize(320, 320));
    QCOMPARE(screen->image().size(), QSize(320, 320));
    QVERIFY(!fixture.find<QLabel>(u"notice"_s)->text().contains(u"Internet"_s));
    fixture.screenshot(u"qr-code"_s);

    // Back on the list, the rows are kept; the QR screen is released.
    fixture.window()->pop();
    WindowFixture::settle();
    QCOMPARE(fixture.top()->controller()->screenNumber(), int(ABEntriesScreen));
    QTRY_VERIFY(!ScreenRegistry::isViewControllerLoaded(QRCodeScreen));
}

QTEST_MAIN(QRCodeViewTest)
#include "QRCodeView_test.moc"
