// The file list's cloud modes (4, 5, 8, 9) end to end against the services' stand-ins.

#include "RecordingUiHost.h"
#include "TestEnvironment.h"
#include "support/CloudFixture.h"
#include "importing/FileChooserViewController.h"
#include "cloud/GDLoginController.h"
#include "platform/Localization.h"
#include "screens/ScreenCatalog.h"
#include "shell/Documents.h"
#include "shell/OAuthSession.h"

#include <QFile>
#include <QSignalSpy>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {
void writeDocument(const QString &name, const QByteArray &content)
{
    QFile file(Documents::filePath(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

QStringList names(const FileChooserViewController &screen)
{
    QStringList list;
    for (const auto &row : screen.rows())
        list.append(row.name);
    return list;
}
}

class CloudModesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { ScreenCatalog::registerAll(); }
    void dropboxDownloadListsTapsAndDeletes();
    void dropboxUploadRemovesTheRow();
    void driveUploadAndRefusedType();
    void driveDownloadAndDelete();
    void listingFailureShowsTheServiceDescription();
    void signInFromTheListThenListing();
    void driveSignsInOnItsOwnScreen();
};

void CloudModesTest::dropboxDownloadListsTapsAndDeletes()
{
    TestEnvironment env;
    CloudFixture fixture;
    fixture.signIn(CloudAccounts::Dropbox);
    fixture.dropbox.putFolder(u"/Vennaro"_s);
    fixture.dropbox.putFile(u"/Vennaro/cards.vcf"_s, "BEGIN:VCARD\r\nEND:VCARD\r\n");
    fixture.dropbox.putFile(u"/Vennaro/notes.txt"_s, "n");
    fixture.dropbox.putFolder(u"/Vennaro/old"_s);
    fixture.dropbox.putFile(u"/Vennaro/backup.vnbin"_s, QByteArray(2048, 'b'));
    RecordingUiHost host;
    FileChooserViewController screen;
    screen.loadFiles(FileChooserViewController::DropboxDownloadMode);
    QCOMPARE(screen.sectionHeader(), u"Dropbox download"_s);
    // The back button stays hidden while the folder is listed.
    QVERIFY(host.locked);
    QTRY_COMPARE(names(screen).size(), 2);
    QVERIFY(!host.locked);
    QCOMPARE(names(screen), (QStringList{u"backup.vnbin"_s, u"cards.vcf"_s}));
    QVERIFY(screen.rows().first().details.endsWith(u" (2.00 KB)"_s));
    QVERIFY(screen.rightButtonEnabled());

    screen.selectRow(1);
    QTRY_COMPARE(names(screen), QStringList{u"backup.vnbin"_s});
    QCOMPARE(host.progressTitles.first(), u"Please Wait ...\n\nDownload in progress\n\n"_s);
    QCOMPARE(host.lastText(), u"File cards.vcf downloaded from Dropbox"_s);
    QFile downloaded(Documents::filePath(u"cards.vcf"_s));
    QVERIFY(downloaded.open(QIODevice::ReadOnly));
    QCOMPARE(downloaded.readAll(), "BEGIN:VCARD\r\nEND:VCARD\r\n"_ba);
    QVERIFY(fixture.dropbox.has(u"/Vennaro/cards.vcf"_s)); // still in the account

    screen.deleteRow(0);
    QVERIFY(screen.rows().isEmpty()); // at once
    QTRY_VERIFY(!fixture.dropbox.has(u"/Vennaro/backup.vnbin"_s));
    QVERIFY(!screen.rightButtonEnabled());
}

void CloudModesTest::dropboxUploadRemovesTheRow()
{
    TestEnvironment env;
    CloudFixture fixture;
    fixture.signIn(CloudAccounts::Dropbox);
    writeDocument(u"a.vcf"_s, "A");
    writeDocument(u"b.csv"_s, "B");
    RecordingUiHost host;
    FileChooserViewController screen;
    screen.loadFiles(FileChooserViewController::DropboxUploadMode);
    QVERIFY(!screen.rightButtonVisible());
    QCOMPARE(names(screen), (QStringList{u"a.vcf"_s, u"b.csv"_s}));
    screen.selectRow(1);
    QTRY_COMPARE(names(screen), QStringList{u"a.vcf"_s});
    QCOMPARE(host.progressTitles.first(), u"Please Wait ...\n\nUpload in progress\n\n"_s);
    QCOMPARE(host.lastText(), u"File b.csv uploaded to Dropbox"_s);
    QCOMPARE(fixture.dropbox.content(u"/Vennaro/b.csv"_s), "B"_ba);
    QVERIFY(!host.progressOpen);
}

void CloudModesTest::driveUploadAndRefusedType()
{
    TestEnvironment env;
    CloudFixture fixture;
    fixture.signIn(CloudAccounts::Drive);
    writeDocument(u"backup.vnbin"_s, "V");
    writeDocument(u"photo.jpg"_s, "J");
    RecordingUiHost host;
    FileChooserViewController screen;
    screen.loadFiles(FileChooserViewController::GoogleUploadMode);
    QCOMPARE(names(screen), (QStringList{u"backup.vnbin"_s, u"photo.jpg"_s}));
    screen.selectRow(1);
    QCOMPARE(host.lastTitle(), u"Error"_s);
    QCOMPARE(host.lastText(), u"need MIME type for file photo.jpg"_s);
    QCOMPARE(fixture.drive.requests.size(), 0);

    screen.selectRow(0);
    QTRY_COMPARE(names(screen), QStringList{u"photo.jpg"_s});
    QCOMPARE(host.lastText(), u"Upload OK"_s);
    QCOMPARE(fixture.drive.files.value(fixture.drive.idOf(u"backup.vnbin"_s)).mimeType, u"application/octet-stream"_s);
}

void CloudModesTest::driveDownloadAndDelete()
{
    TestEnvironment env;
    CloudFixture fixture;
    fixture.signIn(CloudAccounts::Drive);
    {
        std::unique_ptr<RemoteFolder> folder(CloudAccounts::instance().newFolder(CloudAccounts::Drive, nullptr));
        QVERIFY(CloudFixture::list(*folder).ok()); // makes the folder
    }
    const QString folderId = fixture.drive.files.firstKey();
    fixture.drive.addFile({u"one.ldif"_s, u"text/plain"_s, {folderId}, "dn: a\n", false, {}});
    fixture.drive.addFile({u"two.csv"_s, u"text/csv"_s, {folderId}, "x", false, {}});
    fixture.drive.addFile({u"elsewhere.vcf"_s, u"text/plain"_s, {u"root"_s}, "x", false, {}});
    RecordingUiHost host;
    FileChooserViewController screen;
    screen.loadFiles(FileChooserViewController::GoogleDownloadMode);
    QTRY_COMPARE(names(screen), (QStringList{u"one.ldif"_s, u"two.csv"_s}));
    screen.selectRow(0);
    QTRY_COMPARE(names(screen), QStringList{u"two.csv"_s});
    QCOMPARE(host.lastText(), u"File downloaded"_s);
    QVERIFY(QFile::exists(Documents::filePath(u"one.ldif"_s)));
    screen.deleteRow(0);
    QTRY_VERIFY(fixture.drive.idOf(u"two.csv"_s).isEmpty());
    QCOMPARE(host.alerts.size(), 1); // no failure shown
}

void CloudModesTest::listingFailureShowsTheServiceDescription()
{
    TestEnvironment env;
    CloudFixture fixture;
    fixture.signIn(CloudAccounts::Dropbox);
    fixture.dropbox.putFile(u"/Vennaro"_s, "a file where the folder should be");
    RecordingUiHost host;
    FileChooserViewController screen;
    screen.loadFiles(FileChooserViewController::DropboxDownloadMode);
    QTRY_COMPARE(host.alerts.size(), 1);
    QCOMPARE(host.lastTitle(), u"Error"_s);
    QCOMPARE(host.lastText(), u"path/conflict/folder/.."_s);
    QVERIFY(!host.locked);
    QVERIFY(screen.rows().isEmpty());
}

void CloudModesTest::signInFromTheListThenListing()
{
    TestEnvironment env;
    CloudFixture fixture;
    fixture.dropbox.putFolder(u"/Vennaro"_s);
    fixture.dropbox.putFile(u"/Vennaro/a.vcf"_s, "A");
    RecordingUiHost host;
    FileChooserViewController screen;
    screen.loadFiles(FileChooserViewController::DropboxDownloadMode);
    // The choice survives the sign-in in dropbox.flag; the browser gets the address.
    QFile flag(Documents::filePath(u"dropbox.flag"_s));
    QVERIFY(flag.open(QIODevice::ReadOnly));
    QCOMPARE(flag.readAll(), "1"_ba);
    flag.close();
    QCOMPARE(host.openedUrls.size(), 1);
    QCOMPARE(host.progressTitles.last(), UiHost::progressTitle(L("KCloudSignInBrowser")));
    QVERIFY(host.locked);
    CloudFixture::browse(host.openedUrls.first());
    QTRY_COMPARE(names(screen), QStringList{u"a.vcf"_s});
    QVERIFY(CloudAccounts::instance().session(CloudAccounts::Dropbox)->isLinked());
    QVERIFY(!QFile::exists(Documents::filePath(u"dropbox.flag"_s)));
    QVERIFY(!host.locked);
}

void CloudModesTest::driveSignsInOnItsOwnScreen()
{
    TestEnvironment env;
    CloudFixture fixture;
    RecordingUiHost host;
    FileChooserViewController screen;
    screen.loadFiles(FileChooserViewController::GoogleDownloadMode);
    QCOMPARE(host.stack.size(), 1);
    auto *login = qobject_cast<GDLoginController *>(host.stack.last());
    QVERIFY(login);
    QCOMPARE(login->title(), u"Google Drive"_s);
    QVERIFY(login->note().startsWith(u"Note: Google docs isn't a generic cloud storage service.\n"_s));
    login->signIn();
    QVERIFY(login->isWaiting());
    QCOMPARE(host.openedUrls.size(), 1);
    const QUrlQuery query(host.openedUrls.first());
    QCOMPARE(query.queryItemValue(u"scope"_s, QUrl::FullyDecoded), u"https://www.googleapis.com/auth/drive.file"_s);
    CloudFixture::browse(host.openedUrls.first());
    // The screen goes, the account is linked and the folder (made now) is listed.
    QTRY_VERIFY(host.stack.isEmpty());
    QVERIFY(CloudAccounts::instance().session(CloudAccounts::Drive)->isLinked());
    QTRY_COMPARE(fixture.drive.count(u"/drive/v3/files"_s), 3);
    QTRY_VERIFY(!host.locked);
    QVERIFY(screen.rows().isEmpty());
}

QTEST_GUILESS_MAIN(CloudModesTest)
#include "cloud_modes_test.moc"
