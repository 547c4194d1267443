// The transfer chooser: its rows by settings and mail composer, the warnings, and where each
// row leads.

#include "support/FakeMailComposer.h"
#include "support/RecordingUiHost.h"
#include "support/TestEnvironment.h"

#include "importing/FileChooserViewController.h"
#include "platform/DevLog.h"
#include "screens/ScreenCatalog.h"
#include "shell/AccountHooks.h"
#include "shell/AppData.h"
#include "shell/ScreenRegistry.h"
#include "transfer/DeviceAddresses.h"
#include "transfer/FTChooserViewControler.h"

#include <QDir>
#include <QFile>
#include <QtTest>

using namespace Qt::StringLiterals;
using Tag = FTChooserViewControler::Tag;

namespace {

QList<QList<int>> tagsOf(const FTChooserViewControler &chooser)
{
    QList<QList<int>> sections;
    for (const auto &section : chooser.sections()) {
        QList<int> tags;
        for (const auto &row : section.rows)
            tags.append(row.tag);
        sections.append(tags);
    }
    return sections;
}

void touch(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qWarning("could not write %s", qPrintable(path));
}

void useWiredNetwork(bool connected)
{
    DeviceAddresses::setInterfaceSource([connected] {
        QList<DeviceAddresses::Interface> list{{u"lo"_s, u"127.0.0.1"_s, u"255.0.0.0"_s, 0, true, DeviceAddresses::Kind::Loopback}};
        if (connected)
            list.append({u"eth0"_s, u"192.168.1.20"_s, u"255.255.255.0"_s, 0, true, DeviceAddresses::Kind::Wired});
        return list;
    });
}

// The file list's mode, when the chooser opened it.
// The mode of the file list that was pushed (an unlinked Drive list shows its sign-in over it).
int fileListMode(const RecordingUiHost &host)
{
    for (auto screen = host.stack.crbegin(); screen != host.stack.crend(); ++screen) {
        if ((*screen)->screenNumber() == FileChooserScreen)
            return static_cast<FileChooserViewController *>(*screen)->mode();
    }
    return -1;
}

} // namespace

class FTChooserTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { ScreenCatalog::registerAll(); }
    void cleanup()
    {
        ScreenRegistry::clear();
        AccountHooks::setCloud({});
        AccountHooks::setGoogle({});
        DeviceAddresses::setInterfaceSource({});
    }

    void sectionsFollowSettingsAndMail_data();
    void sectionsFollowSettingsAndMail();
    void canUpload_data();
    void canUpload();
    void uploadsNeedAContactFile_data();
    void uploadsNeedAContactFile();
    void rowsOpenTheFileListInTheirMode_data();
    void rowsOpenTheFileListInTheirMode();
    void networkRowsNeedAnAddress_data();
    void networkRowsNeedAnAddress();
    void mailRowWithoutComposer();
    void dropboxChoiceSurvivesLinking_data();
    void dropboxChoiceSurvivesLinking();
};

void FTChooserTest::sectionsFollowSettingsAndMail_data()
{
    QTest::addColumn<bool>("dropbox");
    QTest::addColumn<bool>("google");
    QTest::addColumn<bool>("mail");
    QTest::addColumn<QList<QList<int>>>("tags");
    QTest::addColumn<QStringList>("headers");
    const QList<int> servers{1, 2};
    QTest::newRow("clouds off") << false << false << true << QList<QList<int>>{servers, {3, 4, 5}}
                                << QStringList{u"Servers"_s, u"Clients"_s};
    QTest::newRow("no mail composer") << false << false << false << QList<QList<int>>{servers, {3, 5}}
                                      << QStringList{u"Servers"_s, u"Clients"_s};
    QTest::newRow("dropbox") << true << false << true << QList<QList<int>>{servers, {3, 4, 5}, {6, 7}}
                             << QStringList{u"Servers"_s, u"Clients"_s, u"Dropbox"_s};
    QTest::newRow("both clouds") << true << true << true << QList<QList<int>>{servers, {3, 4, 5}, {6, 7}, {11, 10}}
                                 << QStringList{u"Servers"_s, u"Clients"_s, u"Dropbox"_s, u"Google Drive"_s};
}

void FTChooserTest::sectionsFollowSettingsAndMail()
{
    QFETCH(bool, dropbox);
    QFETCH(bool, google);
    QFETCH(bool, mail);
    QFETCH(QList<QList<int>>, tags);
    QFETCH(QStringList, headers);
    TestEnvironment env;
    FakeMailComposer composer(mail);
    AppData &settings = AppData::sharedInstance();
    settings.setEnableDropbox(dropbox);
    settings.setEnableGoogleDocs(google);
    QCOMPARE(settings.enableMobileme(), 1);
    FTChooserViewControler chooser;
    QCOMPARE(tagsOf(chooser), tags);
    QStringList shown;
    for (const auto &section : chooser.sections())
        shown.append(section.header);
    QCOMPARE(shown, headers);
    QCOMPARE(settings.enableMobileme(), 0);

    // The sections are built again each time the screen comes back.
    settings.setEnableDropbox(!dropbox);
    chooser.viewWillAppear();
    QCOMPARE(chooser.sections().size(), tags.size() + (dropbox ? -1 : 1));
}

void FTChooserTest::canUpload_data()
{
    QTest::addColumn<QStringList>("files"); // a trailing "/" makes a folder
    QTest::addColumn<bool>("expected");
    QTest::newRow("settings, rules and exports that are no contact files")
        << QStringList{u"settings.plist"_s, u"FormatRules.plist"_s, u"list.html"_s, u"list.txt"_s} << false;
    QTest::newRow("a folder named like a contact file") << QStringList{u"x.vcf/"_s, u"y.csv/"_s} << false;
    QTest::newRow("upper-case extension") << QStringList{u"list.html"_s, u"ALL.VCF"_s} << true;
    QTest::newRow("ldif") << QStringList{u"a.ldif"_s} << true;
    QTest::newRow("backup") << QStringList{u"b.vnbin"_s} << true;
    QTest::newRow("csv") << QStringList{u"c.csv"_s} << true;
    QTest::newRow("extension only as part of the name") << QStringList{u"vcf.txt"_s, u"a.vcf.zip"_s} << false;
}

void FTChooserTest::canUpload()
{
    QFETCH(QStringList, files);
    QFETCH(bool, expected);
    TestEnvironment env;
    for (const QString &name : files) {
        if (name.endsWith(u'/'))
            QVERIFY(QDir(env.documents()).mkpath(name));
        else
            touch(env.documents() + u'/' + name);
    }
    QCOMPARE(FTChooserViewControler::canUpload(), expected);
}

void FTChooserTest::uploadsNeedAContactFile_data()
{
    QTest::addColumn<int>("tag");
    QTest::newRow("dropbox upload") << int(Tag::TagDropboxUpload);
    QTest::newRow("google drive upload") << int(Tag::TagGoogleUpload);
}

void FTChooserTest::uploadsNeedAContactFile()
{
    QFETCH(int, tag);
    TestEnvironment env;
    RecordingUiHost host;
    AccountHooks::setCloud({{}, {}, [] { return true; }, {}, {}});
    AccountHooks::setGoogle({[] { return true; }, {}});
    touch(env.documents() + u"/list.html"_s);
    FTChooserViewControler chooser;
    chooser.selectRow(tag);
    QCOMPARE(host.lastTitle(), u"Warning"_s);
    QCOMPARE(host.lastText(), u"No files to upload.\n\nYou need to export your contacts."_s);
    QVERIFY(host.stack.isEmpty());

    touch(env.documents() + u"/all.vcf"_s);
    chooser.selectRow(tag);
    QCOMPARE(host.alerts.size(), 1);
    QCOMPARE(fileListMode(host), tag == Tag::TagDropboxUpload ? 4 : 8);
}

void FTChooserTest::rowsOpenTheFileListInTheirMode_data()
{
    QTest::addColumn<int>("tag");
    QTest::addColumn<int>("mode");
    QTest::newRow("send to web server") << int(Tag::TagSendWeb) << 1;
    QTest::newRow("send by e-mail") << int(Tag::TagSendEmail) << 2;
    QTest::newRow("send via bluetooth") << int(Tag::TagSendBluetooth) << 3;
    QTest::newRow("dropbox upload") << int(Tag::TagDropboxUpload) << 4;
    QTest::newRow("dropbox download") << int(Tag::TagDropboxDownload) << 5;
    QTest::newRow("google upload") << int(Tag::TagGoogleUpload) << 8;
    QTest::newRow("google download") << int(Tag::TagGoogleDownload) << 9;
}

void FTChooserTest::rowsOpenTheFileListInTheirMode()
{
    QFETCH(int, tag);
    QFETCH(int, mode);
    TestEnvironment env;
    RecordingUiHost host;
    FakeMailComposer composer;
    useWiredNetwork(true);
    AccountHooks::setCloud({{}, {}, [] { return true; }, {}, {}});
    AccountHooks::setGoogle({[] { return true; }, {}});
    touch(env.documents() + u"/all.vcf"_s);
    auto *chooser = getScreen<FTChooserViewControler>(FTChooserScreen);
    chooser->selectRow(tag);
    QCOMPARE(fileListMode(host), mode);
    QVERIFY2(!chooser->bCanRelease, "the chooser stays while the file list is shown");
    QVERIFY(host.alerts.isEmpty());
}

void FTChooserTest::networkRowsNeedAnAddress_data()
{
    QTest::addColumn<int>("tag");
    QTest::addColumn<int>("screen");
    QTest::newRow("web server") << int(Tag::TagWebServer) << int(HttpSrvScreen);
    QTest::newRow("send to web server") << int(Tag::TagSendWeb) << int(FileChooserScreen);
}

void FTChooserTest::networkRowsNeedAnAddress()
{
    QFETCH(int, tag);
    QFETCH(int, screen);
    TestEnvironment env;
    RecordingUiHost host;
    touch(env.documents() + u"/all.vcf"_s);
    useWiredNetwork(false);
    auto *chooser = getScreen<FTChooserViewControler>(FTChooserScreen);
    chooser->selectRow(tag);
    QCOMPARE(host.lastTitle(), u"Warning"_s);
    QCOMPARE(host.lastText(), u"No active network connection.\n\nPlease connect to a network and try again."_s);
    QVERIFY(host.stack.isEmpty());

    useWiredNetwork(true);
    chooser->selectRow(tag);
    QCOMPARE(host.alerts.size(), 1);
    QCOMPARE(host.stack.size(), 1);
    QCOMPARE(host.stack.last()->screenNumber(), screen);
}

void FTChooserTest::mailRowWithoutComposer()
{
    TestEnvironment env;
    RecordingUiHost host;
    FakeMailComposer composer(false);
    FTChooserViewControler chooser;
    chooser.selectRow(Tag::TagSendEmail);
    QCOMPARE(host.lastText(), u"Email is not configure on this device."_s);
    QVERIFY(host.stack.isEmpty());
}

void FTChooserTest::dropboxChoiceSurvivesLinking_data()
{
    QTest::addColumn<int>("tag");
    QTest::addColumn<QByteArray>("flag");
    QTest::addColumn<int>("mode");
    QTest::newRow("upload") << int(Tag::TagDropboxUpload) << QByteArray("0") << 4;
    QTest::newRow("download") << int(Tag::TagDropboxDownload) << QByteArray("1") << 5;
}

void FTChooserTest::dropboxChoiceSurvivesLinking()
{
    QFETCH(int, tag);
    QFETCH(QByteArray, flag);
    QFETCH(int, mode);
    TestEnvironment env;
    RecordingUiHost host;
    touch(env.documents() + u"/all.csv"_s);
    std::function<void()> whenLinked;
    CloudAccountHooks cloud;
    cloud.isLinked = [] { return false; };
    cloud.link = [&](std::function<void()> linked) { whenLinked = std::move(linked); };
    AccountHooks::setCloud(cloud);
    auto *chooser = getScreen<FTChooserViewControler>(FTChooserScreen);
    chooser->selectRow(tag);
    QVERIFY(host.stack.isEmpty());
    QFile written(env.documents() + u"/dropbox.flag"_s);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(), flag);
    QVERIFY(whenLinked);
    whenLinked();
    QCOMPARE(fileListMode(host), mode);
}

QTEST_MAIN(FTChooserTest)
#include "FTChooserViewControler_test.moc"
