// The sign-in screen and the two main-menu rows, end to end against Radicale.

#include "google/ContactsServerSetting.h"
#include "google/GCLoginController.h"
#include "google/GCSession.h"
#include "screens/ScreenCatalog.h"
#include "selection/ABEntriesViewController.h"
#include "platform/PropertyList.h"
#include "shell/AppData.h"
#include "shell/Documents.h"
#include "shell/MainViewController.h"
#include "shell/ScreenRegistry.h"
#include "support/RadicaleServer.h"
#include "support/RecordingUiHost.h"
#include "support/SampleContacts.h"
#include "support/TestEnvironment.h"

#include <QtTest>

using namespace Qt::StringLiterals;

class GCLoginControllerTest : public QObject {
    Q_OBJECT

    // The login screen the menu presented, filled in.
    static GCLoginController *presentedLogin(RecordingUiHost &host)
    {
        return host.presented.isEmpty() ? nullptr : qobject_cast<GCLoginController *>(host.presented.last());
    }

private Q_SLOTS:
    void initTestCase() { ScreenCatalog::registerAll(); }
    void cleanup() { ScreenRegistry::clear(); }

    void requiredFields_data()
    {
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("email");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("text");
        QTest::newRow("no e-mail") << u"127.0.0.1:1"_s << u"  "_s << u"x"_s << u"Email Required"_s << u"Please enter your email."_s;
        QTest::newRow("no password") << u"127.0.0.1:1"_s << u"ana"_s << QString() << u"Password Required"_s
                                     << u"Please enter your password."_s;
        QTest::newRow("no server") << QString() << u"ana"_s << u"x"_s << u"Server Required"_s
                                   << u"Please enter the address of your contacts server."_s;
        // The provider's service takes no password, but an account name.
        QTest::newRow("provider's address") << u"www.googleapis.com"_s << QString() << QString() << u"Email Required"_s
                                            << u"Please enter your email."_s;
    }

    void requiredFields()
    {
        QFETCH(QString, server);
        QFETCH(QString, email);
        QFETCH(QString, password);
        QFETCH(QString, title);
        QFETCH(QString, text);
        TestEnvironment env;
        RecordingUiHost host;
        GCLoginController login;
        bool told = false;
        login.setDelegate([&](std::optional<QString>) { told = true; });
        login.setServer(server);
        login.setEmail(email);
        login.setPassword(password);
        login.login();
        QCOMPARE(host.lastTitle(), title);
        QCOMPARE(host.lastText(), text);
        QVERIFY(!login.isAuthenticating());
        QVERIFY(!told);
    }

    void providerAccountNameIsCompleted()
    {
        TestEnvironment env;
        RecordingUiHost host;
        GCLoginController login;
        login.setServer(u"https://www.googleapis.com/.well-known/carddav"_s);
        login.setEmail(u" ana.silva "_s);
        login.login();
        QCOMPARE(login.email(), u"ana.silva@gmail.com"_s);
        // The browser is sent to the provider's sign-in page; nothing else is asked.
        QVERIFY(login.isAuthenticating());
        QCOMPARE(host.openedUrls.size(), 1);
        QCOMPARE(host.openedUrls.first().host(), u"accounts.google.com"_s);
        QVERIFY(host.alerts.isEmpty());
        login.cancel();
        QVERIFY(!login.isAuthenticating());
        // Elsewhere the name stays as typed.
        login.setServer(u"127.0.0.1:1"_s);
        login.setEmail(u"ana"_s);
        login.setPassword(u"x"_s);
        login.login();
        QTRY_VERIFY(!login.isAuthenticating());
        QCOMPARE(login.email(), u"ana"_s);
    }

    // The last server is a setting of settings.plist, empty at first; the file earlier versions
    // kept it in is taken over once.
    void serverSetting()
    {
        TestEnvironment env;
        QCOMPARE(GCLoginController().server(), QString());

        const QString oldFile = Documents::filePath(u"ContactsAccount.plist"_s);
        QFile file(oldFile);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(PropertyList::writeXml(QVariantMap{{u"ContactsServer"_s, u"https://dav.example.org/"_s}}));
        file.close();
        QCOMPARE(GCLoginController().server(), u"https://dav.example.org/"_s);
        QVERIFY(!QFile::exists(oldFile));
        AppData::sharedInstance().resetToDefaults();
        AppData::sharedInstance().loadSettings();
        QCOMPARE(AppData::sharedInstance().contactsServer(), u"https://dav.example.org/"_s);
        QCOMPARE(GCLoginController().server(), u"https://dav.example.org/"_s);
    }

    void refusedLogin_data()
    {
        QTest::addColumn<bool>("listening");
        QTest::addColumn<QString>("text");
        QTest::newRow("wrong password") << true << u"Invalid email or password."_s;
        QTest::newRow("nothing listens") << false << u"Connection refused"_s;
    }

    void refusedLogin()
    {
        QFETCH(bool, listening);
        QFETCH(QString, text);
        RadicaleServer server;
        QVERIFY2(server.startError().isEmpty(), qPrintable(server.startError()));
        TestEnvironment env;
        RecordingUiHost host;
        GCLoginController login;
        login.setServer(listening ? server.baseUrl().toString() : u"http://127.0.0.1:1/"_s);
        login.setEmail(QString::fromLatin1(RadicaleServer::kUser));
        login.setPassword(u"wrong"_s);
        login.login();
        QVERIFY(login.isAuthenticating());
        QCOMPARE(login.statusText(), u"Authenticating"_s);
        QTRY_VERIFY_WITH_TIMEOUT(!login.isAuthenticating(), 20000);
        QCOMPARE(login.statusText(), QString());
        QCOMPARE(host.lastTitle(), u"Unable to Login"_s);
        QVERIFY2(host.lastText().contains(text, Qt::CaseInsensitive), qPrintable(host.lastText()));
        QVERIFY(!GCSession::sharedSession().isLinked());
    }

    // Export through the menu row, then import the same contacts back through the other.
    void menuRowsEndToEnd()
    {
        RadicaleServer server;
        QVERIFY2(server.startError().isEmpty(), qPrintable(server.startError()));
        TestEnvironment env;
        RecordingUiHost host;
        {
            ABAddressBookRef book = env.open();
            SampleContacts::fill(*book);
        }
        AppData::sharedInstance().setEmailGoogle(u"someone.else"_s);
        MainViewController menu;

        menu.selectRow(MainViewController::RowGoogleUp);
        GCLoginController *login = presentedLogin(host);
        QVERIFY(login);
        QCOMPARE(login->email(), u"someone.else"_s);
        // Cancel dismisses the screen and opens nothing.
        login->cancel();
        QVERIFY(host.presented.isEmpty());
        QVERIFY(host.stack.isEmpty());

        menu.selectRow(MainViewController::RowGoogleUp);
        login = presentedLogin(host);
        QVERIFY(login);
        login->setServer(server.baseUrl().toString());
        login->setEmail(QString::fromLatin1(RadicaleServer::kUser));
        login->setPassword(QString::fromLatin1(RadicaleServer::kPassword));
        login->login();
        QTRY_VERIFY_WITH_TIMEOUT(!host.stack.isEmpty(), 20000);
        QVERIFY(host.presented.isEmpty());
        QCOMPARE(AppData::sharedInstance().emailGoogle(), QString::fromLatin1(RadicaleServer::kUser));
        QCOMPARE(ContactsServerSetting::load(), server.baseUrl().toString());

        auto *list = qobject_cast<ABEntriesViewController *>(host.stack.last());
        QVERIFY(list);
        QCOMPARE(list->mode(), int(ABEntriesViewController::ModeGoogleExport));
        QTRY_VERIFY(!list->isBusy());
        QCOMPARE(list->rows().size(), 3); // the person without a name has no row
        list->exportButtonPressed();
        QVERIFY(host.progressTitles.last().contains(u"Exporting contacts"_s));
        QTRY_VERIFY_WITH_TIMEOUT(!host.progressOpen, 20000);
        QCOMPARE(server.storedCards().size(), 3);

        // Signed in now: the import row goes straight to the list, filled from the account.
        host.pop();
        menu.selectRow(MainViewController::RowGoogleDown);
        QVERIFY(host.presented.isEmpty());
        list = qobject_cast<ABEntriesViewController *>(host.stack.last());
        QVERIFY(list);
        QCOMPARE(list->title(), u"Google contacts"_s);
        QTRY_VERIFY_WITH_TIMEOUT(!list->isBusy() && list->rows().size() == 3, 20000);
        list->selectNone();
        list->didSelectRow(0, 0);
        list->exportButtonPressed();
        QVERIFY(host.progressTitles.last().contains(u"Importing contacts"_s));
        QTRY_VERIFY_WITH_TIMEOUT(!host.progressOpen, 20000);
        QCOMPARE(env.open()->personCount(), 5);
    }
};

QTEST_GUILESS_MAIN(GCLoginControllerTest)
#include "GCLoginController_test.moc"
