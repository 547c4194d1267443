#include "support/RecordingUiHost.h"
#include "support/TestEnvironment.h"
#include "platform/PropertyList.h"
#include "screens/ScreenCatalog.h"
#include "shell/AccountHooks.h"
#include "shell/AppData.h"
#include "shell/ImpExpFiltersViewController.h"
#include "shell/LanguageViewController.h"
#include "shell/ScreenRegistry.h"
#include "shell/SettingsViewController.h"
#include "shell/UserDefaults.h"
#include "shell/WebViewController.h"

#include <QtTest>

namespace {
QVariantMap readPlist(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    Result<QVariant> root = PropertyList::read(file.readAll());
    return root ? root->toMap() : QVariantMap();
}

QList<int> tagsOf(const SettingsViewController &screen)
{
    QList<int> tags;
    for (const auto &section : screen.sections()) {
        for (const auto &row : section)
            tags.append(row.tag);
    }
    return tags;
}
}

// The settings, field filter, language and information screens.
class ScreensTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { ScreenCatalog::registerAll(); }
    void cleanup()
    {
        ScreenRegistry::clear();
        AccountHooks::setCloud({});
    }

    void eachSwitchWritesItsSetting_data()
    {
        QTest::addColumn<int>("tag");
        QTest::addColumn<QString>("key");
        QTest::newRow("marker") << 1 << "Marker";
        QTest::newRow("sources") << 15 << "EnableSources";
        QTest::newRow("confirm") << 6 << "ConfirmImport";
        QTest::newRow("dropbox") << 10 << "EnableDropbox";
        QTest::newRow("drive") << 12 << "EnableGoogleDocs";
        QTest::newRow("gmail") << 13 << "EnableGmail";
        QTest::newRow("reuse") << 8 << "ReuseFilename";
        QTest::newRow("announce") << 17 << "AnnounceOnNetwork";
    }
    void eachSwitchWritesItsSetting()
    {
        QFETCH(int, tag);
        QFETCH(QString, key);
        TestEnvironment env;
        RecordingUiHost host;
        SettingsViewController settings;
        AppData &data = AppData::sharedInstance();
        const int before = data.valueByKey(key).toInt();
        QCOMPARE(settings.value(tag), before);
        settings.setSwitch(tag, !before);
        QCOMPARE(data.valueByKey(key).toInt(), before ? 0 : 1);
        QCOMPARE(settings.value(tag), before ? 0 : 1);
        // Nothing is written before the screen goes away.
        QVERIFY(!QFile::exists(data.settingsPath()));
        settings.viewWillDisappear();
        settings.viewDidDisappear();
        QCOMPARE(readPlist(data.settingsPath()).value(key).toInt(), before ? 0 : 1);
    }

    void charsetSliderAndExportLog()
    {
        TestEnvironment env;
        RecordingUiHost host;
        auto *settings = getScreen<SettingsViewController>(SettingsScreen);
        host.push(settings);
        settings->setCharSet(1);
        QCOMPARE(AppData::sharedInstance().charSet(), 1);
        settings->setCharSet(7); // not a choice
        QCOMPARE(AppData::sharedInstance().charSet(), 1);
        QCOMPARE(SettingsViewController::charSetChoices(), QStringList({QStringLiteral("UTF-8"), QStringLiteral("ISO 8859-1")}));

        settings->sliderMoved(5.0);
        QCOMPARE(AppData::sharedInstance().btBlockSize(), 5);
        QCOMPARE(settings->sliderText(), QStringLiteral("BT pktsize: 5 K"));
        settings->sliderMoved(17.9);
        QCOMPARE(AppData::sharedInstance().btBlockSize(), 17);
        settings->sliderMoved(30.0);
        QCOMPARE(settings->sliderText(), QStringLiteral("BT pktsize: 30 K"));
        settings->sliderMoved(99);
        QCOMPARE(AppData::sharedInstance().btBlockSize(), 30);
        if (SettingsViewController::mailComposerAvailable())
            QVERIFY(tagsOf(*settings).contains(SettingsViewController::TagBTpktSize));
        else
            QVERIFY(!tagsOf(*settings).contains(SettingsViewController::TagBTpktSize));

        settings->setSwitch(SettingsViewController::TagExportLog, true);
        QCOMPARE(AppData::sharedInstance().logEnabled(), 1);
        host.pop();
        QVERIFY(!ScreenRegistry::isViewControllerLoaded(SettingsScreen));
        const QVariantMap saved = readPlist(AppData::sharedInstance().settingsPath());
        QCOMPARE(saved.value(QStringLiteral("CharSet")).toInt(), 1);
        QCOMPARE(saved.value(QStringLiteral("BTblockSize")).toInt(), 30);
        QVERIFY(!saved.contains(QStringLiteral("logEnabled")));
        QCOMPARE(saved.size(), 14); // the integer settings; the texts are unset
    }

    void peerPortRow_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("port"); // 0: refused, the setting stays
        QTest::newRow("a port") << "9000" << 9000;
        QTest::newRow("blanks around") << " 8100 " << 8100;
        QTest::newRow("zero") << "0" << 0;
        QTest::newRow("too big") << "65536" << 0;
        QTest::newRow("not a number") << "http" << 0;
    }

    void peerPortRow()
    {
        QFETCH(QString, typed);
        QFETCH(int, port);
        TestEnvironment env;
        RecordingUiHost host;
        SettingsViewController settings;
        QVERIFY(tagsOf(settings).contains(SettingsViewController::TagPeerPort));
        host.textAnswers.enqueue(typed);
        settings.selectRow(SettingsViewController::TagPeerPort);
        QCOMPARE(AppData::sharedInstance().peerPort(), port ? port : 8090);
        if (!port)
            QCOMPARE(host.lastText(), QStringLiteral("The port must be a whole number from 1 to 65535."));
        bool shown = false;
        for (const auto &section : settings.sections()) {
            for (const auto &row : section)
                shown |= row.text == QStringLiteral("Peer transfer port: %1").arg(port ? port : 8090);
        }
        QVERIFY(shown);
    }

    void unlinkRowOnlyWhileLinked()
    {
        TestEnvironment env;
        RecordingUiHost host;
        QVERIFY(!tagsOf(SettingsViewController()).contains(SettingsViewController::TagUnlinkDropBox));
        bool linked = true;
        AccountHooks::setCloud({{}, {}, [&] { return linked; }, [&] { linked = false; }, {}});
        SettingsViewController settings;
        QCOMPARE(tagsOf(settings).last(), int(SettingsViewController::TagUnlinkDropBox));
        settings.selectRow(SettingsViewController::TagUnlinkDropBox);
        QVERIFY(!linked);
        QVERIFY(!tagsOf(settings).contains(SettingsViewController::TagUnlinkDropBox));
    }

    void filterRowsTagsAndBits()
    {
        TestEnvironment env;
        RecordingUiHost host;
        auto *settings = getScreen<SettingsViewController>(SettingsScreen);
        host.push(settings);
        settings->selectRow(SettingsViewController::TagExportFilters);
        auto *filters = static_cast<ImpExpFiltersViewController *>(host.stack.last());
        QCOMPARE(filters->screenNumber(), int(ImpExpFiltersScreen));
        QCOMPARE(filters->header(), QStringLiteral("When exporting include:"));
        QList<int> tags;
        for (const auto &row : filters->rows())
            tags.append(row.tag);
        QCOMPARE(tags, QList<int>({1, 2, 3, 4, 5, 6, 8, 9, 10, 11, 7}));
        QCOMPARE(filters->rows().last().text, QStringLiteral("Groups"));
        for (int tag : tags)
            QVERIFY(filters->isOn(tag));

        filters->setSwitch(7, false);
        QCOMPARE(AppData::sharedInstance().flagsExp(), 0xfffeu & ~0x80u);
        QCOMPARE(AppData::sharedInstance().flagsImp(), 0xfffeu);
        filters->setSwitch(1, false);
        filters->setSwitch(7, true);
        QCOMPARE(AppData::sharedInstance().flagsExp(), 0xfffcu);
        filters->setSwitch(0, true); // bit 0 is no row: nothing changes
        QCOMPARE(AppData::sharedInstance().flagsExp(), 0xfffcu);
        host.pop();
        QCOMPARE(readPlist(AppData::sharedInstance().settingsPath()).value(QStringLiteral("ExportFlags")).toInt(), 0xfffc);

        AppData::sharedInstance().setFlagsImp(0xfffe & ~(1u << 9));
        settings->selectRow(SettingsViewController::TagImportFilters);
        filters = static_cast<ImpExpFiltersViewController *>(host.stack.last());
        QCOMPARE(filters->header(), QStringLiteral("When importing include:"));
        QVERIFY(!filters->isOn(9));
        QVERIFY(filters->isOn(1));
        filters->setSwitch(4, false);
        QCOMPARE(AppData::sharedInstance().flagsImp(), 0xfffeu & ~(1u << 9) & ~(1u << 4));
        QCOMPARE(AppData::sharedInstance().flagsExp(), 0xfffcu);
    }

    void languageMarksAndChoices()
    {
        TestEnvironment env;
        RecordingUiHost host;
        UserDefaults &defaults = UserDefaults::standardUserDefaults();
        defaults.setPath(env.path(QStringLiteral("defaults.plist")));
        const QString key = QStringLiteral("AppleLanguages");

        QCOMPARE(LanguageViewController().ilang, int(LanguageViewController::SystemDefault));
        defaults.setObject(QStringList{QStringLiteral("pt"), QStringLiteral("en")}, key);
        QCOMPARE(LanguageViewController().ilang, int(LanguageViewController::Portuguese));
        defaults.setObject(QStringList{QStringLiteral("en"), QStringLiteral("pt")}, key);
        QCOMPARE(LanguageViewController().ilang, int(LanguageViewController::English));
        defaults.setObject(QStringList{QStringLiteral("en"), QStringLiteral("pt"), QStringLiteral("fr")}, key);
        QCOMPARE(LanguageViewController().ilang, int(LanguageViewController::SystemDefault));

        LanguageViewController language;
        QCOMPARE(language.title(), QStringLiteral("Language"));
        QCOMPARE(language.rows(), QStringList({QStringLiteral("system default"), QStringLiteral("English"), QStringLiteral("Portuguese")}));
        language.selectRow(LanguageViewController::Portuguese);
        QCOMPARE(language.ilang, int(LanguageViewController::Portuguese));
        QCOMPARE(readPlist(defaults.path()).value(key).toStringList(), QStringList({QStringLiteral("pt"), QStringLiteral("en")}));
        QCOMPARE(host.lastText(), QStringLiteral("New language setting will be effective next time \"Vennaro\" is started."));
        QCOMPARE(defaults.preferredLanguage(), QStringLiteral("pt"));
        language.selectRow(LanguageViewController::English);
        QCOMPARE(readPlist(defaults.path()).value(key).toStringList(), QStringList({QStringLiteral("en"), QStringLiteral("pt")}));
        language.selectRow(LanguageViewController::SystemDefault);
        QVERIFY(!readPlist(defaults.path()).contains(key));
        QCOMPARE(host.alerts.size(), 3);
    }

    void informationPagePlaceholders()
    {
        TestEnvironment env;
        RecordingUiHost host;
        WebViewController page;
        QCOMPARE(page.title(), QStringLiteral("Information"));
        QVERIFY(!page.failed());
        const QString html = page.html();
        QVERIFY(!html.contains(QLatin1String("[[[")));
        QVERIFY(html.contains(QStringLiteral("src=\"qrc:/help/")));
        QVERIFY(html.contains(QStringLiteral("Version 0.1.0")));
        QVERIFY(html.contains(QStringLiteral("body=Vennaro: 0.1.0 Device: ")));
        QVERIFY(html.contains(QStringLiteral(" Firmware: 6.1\n")));

        page.linkActivated(QUrl(QStringLiteral("https://vennaro.example/")));
        QCOMPARE(host.openedUrls, QList<QUrl>({QUrl(QStringLiteral("https://vennaro.example/"))}));

        page.loadPage(env.path(QStringLiteral("missing.html")));
        QVERIFY(page.failed());
        QVERIFY(page.html().contains(QStringLiteral("An error occurred:<br>")));
        QVERIFY(page.html().contains(QStringLiteral("Press refresh")));
        QVERIFY(page.html().contains(QStringLiteral("color=\"red\"")));
    }
};

QTEST_GUILESS_MAIN(ScreensTest)
#include "screens_test.moc"
