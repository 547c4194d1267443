#include "support/RecordingUiHost.h"
#include "support/TestEnvironment.h"
#include "addressbook/ABConstants.h"
#include "addressbook/ABSources.h"
#include "platform/PropertyList.h"
#include "screens/ScreenCatalog.h"
#include "shell/AppData.h"
#include "shell/MainViewController.h"
#include "shell/ScreenRegistry.h"

#include <QtTest>

namespace {
QList<int> tagsOf(const QList<MainViewController::MenuRow> &rows)
{
    QList<int> tags;
    for (const auto &row : rows)
        tags.append(row.tag);
    return tags;
}

QVariantMap savedSettings()
{
    QFile file(AppData::sharedInstance().settingsPath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    Result<QVariant> root = PropertyList::read(file.readAll());
    return root ? root->toMap() : QVariantMap();
}
}

// The main menu: sections by settings, the source choice, the footer and the access check.
class MainMenuTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { ScreenCatalog::registerAll(); }
    void cleanup()
    {
        ScreenRegistry::clear();
        MainViewController::setPrintingAvailable(true);
    }

    void sectionsFollowTheSettings()
    {
        TestEnvironment env;
        MainViewController menu;
        QCOMPARE(menu.sections().size(), 5);
        QCOMPARE(tagsOf(menu.sections()[0]), QList<int>({1, 2, 15, 10, 11, 12}));
        QCOMPARE(tagsOf(menu.sections()[1]), QList<int>({4, 7}));
        QCOMPARE(tagsOf(menu.sections()[2]), QList<int>({8}));
        QCOMPARE(tagsOf(menu.sections()[3]), QList<int>({13, 14}));
        QCOMPARE(menu.sections()[4].first().text, QStringLiteral("Settings"));

        AppData::sharedInstance().setEnableGmail(0);
        MainViewController::setPrintingAvailable(false);
        menu.viewWillAppear(); // the menu reloads when it reappears
        QCOMPARE(menu.sections().size(), 4);
        QCOMPARE(tagsOf(menu.sections()[3]), QList<int>({3}));
        QCOMPARE(tagsOf(menu.sections()[0]), QList<int>({1, 2, 15, 10, 11}));
    }

    void settingsRowOpensTheSettingsScreen()
    {
        TestEnvironment env;
        RecordingUiHost host;
        MainViewController menu;
        host.push(&menu);
        menu.selectRow(MainViewController::RowSettings);
        QCOMPARE(host.stack.size(), 2);
        QCOMPARE(host.stack.last()->screenNumber(), int(SettingsScreen));
        QCOMPARE(host.stack.last()->title(), QStringLiteral("Settings"));
        menu.openInformation();
        QCOMPARE(host.stack.last()->screenNumber(), int(WebScreen));
    }

    void sourceButtonLabelAndPopup()
    {
        TestEnvironment env;
        {
            ABAddressBookRef book = env.open();
            QVERIFY(book->addSource(kABSourceTypeCardDAV, QStringLiteral("iCloud")));
            QVERIFY(book->addSource(kABSourceTypeExchange, QStringLiteral("Work")));
        }
        RecordingUiHost host;
        MainViewController menu;
        QVERIFY(!menu.sourceButtonVisible());
        QCOMPARE(menu.selectedSourceLabel(), QStringLiteral("Addressbook source: All"));
        AppData::sharedInstance().setSourcesEnabled(1);
        QVERIFY(menu.sourceButtonVisible());
        QCOMPARE(menu.sourcePopupTitle(), QStringLiteral("Select source"));

        const auto choices = menu.sourceChoices();
        int cardDav = -1, exchange = -1;
        for (int row = 0; row < choices.size(); ++row) {
            if (choices[row].name.contains(QLatin1String("CardDAV")))
                cardDav = row;
            if (choices[row].name.contains(QLatin1String("Exchange")))
                exchange = row;
        }
        QVERIFY(cardDav > 0 && exchange > 0);
        QCOMPARE(choices[cardDav].detail, QStringLiteral("(iCloud/Facebook)"));
        QCOMPARE(choices[exchange].detail, QStringLiteral("(Google)"));
        QCOMPARE(choices[0].detail, QString());

        QSignalSpy picked(&menu, &MainViewController::sourceSelected);
        menu.pickSource(exchange);
        QCOMPARE(picked.value(0).value(0).toInt(), exchange);
        QCOMPARE(ABSources::selectedIndex(), exchange);
        QCOMPARE(menu.selectedSourceLabel(), QStringLiteral("Addressbook source: ") + choices[exchange].name);

        // Groups cannot be managed on an Exchange account.
        menu.selectRow(MainViewController::RowManageGroups);
        QCOMPARE(host.lastText(), QStringLiteral("Not supported by Exchange server."));
        QCOMPARE(host.lastTitle(), QStringLiteral("Vennaro"));
        QVERIFY(host.stack.isEmpty());
    }

    void fifthFooterPressFlipsGoogleDrive()
    {
        TestEnvironment env;
        MainViewController menu;
        QCOMPARE(menu.footerText(), QStringLiteral("Vennaro v0.1.0"));
        for (int press = 1; press <= 4; ++press)
            menu.footerPressed();
        QCOMPARE(AppData::sharedInstance().enableGoogleDocs(), 0);
        QVERIFY(!QFile::exists(AppData::sharedInstance().settingsPath()));
        menu.footerPressed();
        QCOMPARE(AppData::sharedInstance().enableGoogleDocs(), 1);
        QCOMPARE(savedSettings().value(QStringLiteral("EnableGoogleDocs")).toInt(), 1);
        menu.footerPressed();
        QCOMPARE(AppData::sharedInstance().enableGoogleDocs(), 0);
        QCOMPARE(savedSettings().value(QStringLiteral("EnableGoogleDocs")).toInt(), 0);
    }

    void accessCheckTexts_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("text");
        QTest::newRow("restricted") << kABAuthorizationStatusRestricted
                                    << QStringLiteral("Vennaro doesn't have permission to access contacts database.");
        QTest::newRow("denied") << kABAuthorizationStatusDenied
                                << QStringLiteral("Vennaro doesn't have permission to access contacts database.\n\n"
                                                  "Use Settings->Privacy->Contacts  to grant permission.");
        QTest::newRow("authorized") << kABAuthorizationStatusAuthorized << QString();
        QTest::newRow("not determined") << kABAuthorizationStatusNotDetermined << QString();
    }
    void accessCheckTexts()
    {
        QFETCH(int, status);
        QFETCH(QString, text);
        TestEnvironment env;
        QVERIFY(env.open()->setAuthorizationStatus(status));
        RecordingUiHost host;
        MainViewController menu;
        menu.checkAddressBookAccess();
        QCOMPARE(host.lastText(), text);
    }
};

QTEST_GUILESS_MAIN(MainMenuTest)
#include "mainmenu_test.moc"
