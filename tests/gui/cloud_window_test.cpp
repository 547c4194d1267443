// The file list in a cloud mode in the real window, listing the Dropbox stand-in.
// With VENNARO_SCREENSHOTS=DIR the screen is also saved there.

#include "support/CloudFixture.h"
#include "support/WindowFixture.h"
#include "gui/ScreenView.h"
#include "gui/TwoLineDelegate.h"
#include "cloud/GDLoginController.h"
#include "importing/FileChooserViewController.h"
#include "shell/ScreenRegistry.h"
#include "shell/UiHost.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

using namespace Qt::StringLiterals;

class CloudWindowTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void dropboxDownloadList();
    void driveSignInScreen();
};

void CloudWindowTest::dropboxDownloadList()
{
    WindowFixture fixture;
    CloudFixture cloud;
    cloud.signIn(CloudAccounts::Dropbox);
    cloud.dropbox.putFolder(u"/Vennaro"_s);
    cloud.dropbox.putFile(u"/Vennaro/Contacts 2024.vcf"_s, QByteArray(3500, 'v'));
    cloud.dropbox.putFile(u"/Vennaro/backup.vnbin"_s, QByteArray(180000, 'b'));
    cloud.dropbox.putFile(u"/Vennaro/Zoë Ñúñez.ldif"_s, "dn: x\n");
    cloud.dropbox.putFile(u"/Vennaro/readme.txt"_s, "not listed");

    auto *chooser = static_cast<FileChooserViewController *>(ScreenRegistry::getViewController(FileChooserScreen));
    UiHost::current()->push(chooser);
    chooser->loadFiles(FileChooserViewController::DropboxDownloadMode);
    WindowFixture::settle();
    auto *files = fixture.find<QListWidget>(u"files"_s);
    QTRY_COMPARE(files->count(), 3);
    WindowFixture::settle();
    QCOMPARE(fixture.find<QLabel>(u"sectionHeader"_s)->text(), u"Dropbox download"_s);
    QVERIFY(files->item(0)->data(TwoLineDelegate::DetailRole).toString().endsWith(u"(175.78 KB)"_s));
    QVERIFY(fixture.findInWindow<QToolButton>(u"backButton"_s)->isVisible());
    fixture.screenshot(u"cloud-dropbox-download"_s);
}

void CloudWindowTest::driveSignInScreen()
{
    WindowFixture fixture;
    CloudFixture cloud;
    auto *chooser = static_cast<FileChooserViewController *>(ScreenRegistry::getViewController(FileChooserScreen));
    UiHost::current()->push(chooser);
    // Not signed in: the file list opens the sign-in screen over itself.
    chooser->loadFiles(FileChooserViewController::GoogleDownloadMode);
    WindowFixture::settle();
    QCOMPARE(fixture.top()->controller()->screenNumber(), GDLoginScreen);
    QVERIFY(fixture.find<QLabel>(u"note"_s)->text().startsWith(u"Note: Google docs"_s));
    auto *signIn = fixture.find<QPushButton>(u"signIn"_s);
    QVERIFY(signIn->isEnabled());
    QVERIFY(!fixture.find<QLabel>(u"waiting"_s)->isVisible());
    fixture.screenshot(u"cloud-drive-sign-in"_s);
}

QTEST_MAIN(CloudWindowTest)
#include "cloud_window_test.moc"
