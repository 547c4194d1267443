// The provider's own CardDAV service, which takes OAuth 2 bearer tokens only: the sign-in
// screen signs in through the browser (PKCE, loopback redirect) against a stand-in of the
// token service that checks what the real one checks, and the exchange then runs with the
// tokens against Radicale behind a bearer-token front. Photos given by address come from the
// account's host only.

#include "google/CardDavClient.h"
#include "google/ContactsServerSetting.h"
#include "google/GCLoginController.h"
#include "google/GCSessionWaiter.h"
#include "shell/AppData.h"
#include "shell/OAuthTokenStore.h"
#include "shell/UserDefaults.h"
#include "support/BearerCardDavStandIn.h"
#include "support/CloudFixture.h"
#include "support/ProgramRuns.h"
#include "support/RadicaleServer.h"
#include "support/RecordingUiHost.h"
#include "support/SampleContacts.h"
#include "support/TestEnvironment.h"

#include <QImage>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// Google's sign-in service (the cloud fixture's, with the same desktop client as Drive) and
// the provider's CardDAV in front of Radicale, with the user's defaults pointing at them.
struct ProviderAccount {
    CloudFixture cloud;
    RadicaleServer radicale;
    BearerCardDavStandIn carddav{&cloud.driveAuth, radicale.baseUrl(), RadicaleServer::kUser, RadicaleServer::kPassword};

    ProviderAccount()
    {
        UserDefaults &defaults = UserDefaults::standardUserDefaults();
        const QString auth = cloud.driveAuth.url().toString();
        defaults.setObject(auth + u"/authorize"_s, u"ContactsAuthorizeURL"_s);
        defaults.setObject(auth + u"/token"_s, u"ContactsTokenURL"_s);
        defaults.setObject(u"drive-client-id"_s, u"ContactsClientId"_s);
        defaults.setObject(u"drive-secret"_s, u"ContactsClientSecret"_s);
        defaults.setObject(carddav.url().toString(), u"ContactsProviderURL"_s);
        defaults.synchronize();
    }

    // Bearer requests that reached the CardDAV front.
    int bearerRequests() const
    {
        return int(std::count_if(carddav.requests.begin(), carddav.requests.end(),
                                 [](const HttpStandIn::Request &request) { return !request.bearer().isEmpty(); }));
    }
};

// One saved person; answers its record identifier.
int addPerson(TestEnvironment &env, const QString &first, const QString &last = QString())
{
    ABAddressBookRef book = env.open();
    ABRecordRef person = ABRecord::createPerson();
    person->setValue(kABPersonFirstNameProperty, first);
    if (!last.isEmpty())
        person->setValue(kABPersonLastNameProperty, last);
    book->addRecord(person);
    book->save();
    return person->recordID();
}

// Signs in on the screen as the user does: the browser goes to the address the screen opened.
// Answers the account the delegate was told, or why not.
Result<QString> signIn(RecordingUiHost &host, const QUrl &server, const QString &account, bool browser = true)
{
    GCLoginController login;
    std::optional<std::optional<QString>> told;
    login.setDelegate([&](std::optional<QString> name) { told = name; });
    login.setServer(server.toString());
    login.setEmail(account);
    login.login();
    if (!login.isAuthenticating())
        return Error{host.lastText()};
    if (browser) {
        if (host.openedUrls.isEmpty())
            return Error{u"no browser opened"_s};
        CloudFixture::browse(host.openedUrls.takeLast());
    }
    if (!QTest::qWaitFor([&] { return !login.isAuthenticating(); }, 20000))
        return Error{u"timed out"_s};
    if (!told)
        return Error{host.lastText()};
    return told->value_or(u"(cancelled)"_s);
}

} // namespace

class ProviderSignInTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void browserSignIn();
    void tokensRefreshedAndReused();
    void refusedSignIn();
    void photosByAddress();
    void commandLine();
};

void ProviderSignInTest::browserSignIn()
{
    TestEnvironment env;
    RecordingUiHost host;
    ProviderAccount account;
    QVERIFY2(account.radicale.startError().isEmpty(), qPrintable(account.radicale.startError()));

    // No password is asked for; the account name gets the provider's mail domain.
    Result<QString> signedIn = signIn(host, account.carddav.url(), u"alice"_s);
    QVERIFY2(signedIn, qPrintable(signedIn ? QString() : signedIn.error()));
    QCOMPARE(*signedIn, u"alice@gmail.com"_s);
    QVERIFY(host.alerts.isEmpty());
    QVERIFY(GCSession::sharedSession().isLinked());
    QCOMPARE(ContactsServerSetting::load(), account.carddav.url().toString());

    // What the browser was sent to ask for.
    const HttpStandIn::Request &authorize = account.cloud.driveAuth.requests.first();
    QCOMPARE(authorize.query("scope"), u"https://www.googleapis.com/auth/carddav"_s);
    QCOMPARE(authorize.query("login_hint"), u"alice@gmail.com"_s);
    QVERIFY(authorize.query("redirect_uri").startsWith(u"http://127.0.0.1:"_s));

    // The exchange goes with the token, never a password.
    GCSessionWaiter waiter(GCSession::sharedSession());
    QCOMPARE(waiter.exportContacts({addPerson(env, u"Rita"_s, u"Lobo"_s)}).done, 1);
    Result<EntryList> rows = waiter.fetch();
    QVERIFY2(rows, qPrintable(rows ? QString() : rows.error()));
    QCOMPARE(rows->size(), 1);
    QCOMPARE(rows->first()->name, u"Rita Lobo"_s);
    QCOMPARE(account.bearerRequests(), int(account.carddav.requests.size()));
    for (const HttpStandIn::Request &request : std::as_const(account.carddav.requests))
        QVERIFY(!request.header("authorization").startsWith("Basic"));
}

void ProviderSignInTest::tokensRefreshedAndReused()
{
    TestEnvironment env;
    RecordingUiHost host;
    ProviderAccount account;
    QVERIFY2(account.radicale.startError().isEmpty(), qPrintable(account.radicale.startError()));
    QVERIFY(signIn(host, account.carddav.url(), u"alice@gmail.com"_s));

    // An access token that ran out is refreshed once and the request goes again.
    account.cloud.driveAuth.expireAccessTokens();
    GCSessionWaiter waiter(GCSession::sharedSession());
    QVERIFY(waiter.fetch());
    QCOMPARE(account.cloud.driveAuth.refreshCount, 1);

    // A later sign-in of the same account uses the stored tokens: no browser.
    QVERIFY(!OAuthTokenStore::load(u"contacts:alice@gmail.com"_s).isEmpty());
    Result<QString> again = signIn(host, account.carddav.url(), u"alice@gmail.com"_s, false);
    QVERIFY2(again, qPrintable(again ? QString() : again.error()));
    QVERIFY(host.openedUrls.isEmpty());

    // Withdrawn tokens are dropped and the browser signs in anew.
    account.cloud.driveAuth.expireAccessTokens();
    account.cloud.driveAuth.revokeRefreshTokens();
    GCLoginController login;
    bool told = false;
    login.setDelegate([&](std::optional<QString> name) { told = name.has_value(); });
    login.setServer(account.carddav.url().toString());
    login.setEmail(u"alice@gmail.com"_s);
    login.login();
    QTRY_VERIFY_WITH_TIMEOUT(!host.openedUrls.isEmpty(), 20000);
    QVERIFY(login.isAuthenticating());
    CloudFixture::browse(host.openedUrls.takeLast());
    QTRY_VERIFY_WITH_TIMEOUT(told, 20000);
    QVERIFY(host.alerts.isEmpty());
}

void ProviderSignInTest::refusedSignIn()
{
    TestEnvironment env;
    RecordingUiHost host;
    ProviderAccount account;
    QVERIFY2(account.radicale.startError().isEmpty(), qPrintable(account.radicale.startError()));
    // A client secret the service does not know: the code exchange is refused.
    UserDefaults::standardUserDefaults().setObject(u"wrong"_s, u"ContactsClientSecret"_s);
    GCSession::sharedSession().unlink();

    Result<QString> signedIn = signIn(host, account.carddav.url(), u"bob"_s);
    QVERIFY(!signedIn);
    QCOMPARE(host.lastTitle(), u"Unable to Login"_s);
    QVERIFY2(host.lastText().contains(u"client_secret is missing or wrong"_s), qPrintable(host.lastText()));
    QVERIFY(!GCSession::sharedSession().isLinked());
    QCOMPARE(account.carddav.requests.size(), 0);
}

void ProviderSignInTest::photosByAddress()
{
    TestEnvironment env;
    RecordingUiHost host;
    ProviderAccount account;
    QVERIFY2(account.radicale.startError().isEmpty(), qPrintable(account.radicale.startError()));
    QVERIFY(signIn(host, account.carddav.url(), u"alice"_s));
    account.carddav.images.insert(u"/photos/small.png"_s, SampleContacts::photo());
    account.carddav.images.insert(u"/photos/huge.png"_s, QByteArray(CardDavClient::kMaxPhotoBytes + 1, 'x'));
    account.carddav.images.insert(u"/photos/not-an-image.png"_s, QByteArray("<html>"));
    // The same picture on another host name of this machine must not be asked for.
    QUrl elsewhere = account.carddav.url();
    elsewhere.setHost(u"localhost"_s);

    struct Card {
        QString name;
        QString photo;
    };
    const QList<Card> cards{
        {u"Ana"_s, account.carddav.url().toString() + u"/photos/small.png"_s},
        {u"Bia"_s, account.carddav.url().toString() + u"/photos/missing.png"_s},
        {u"Caio"_s, account.carddav.url().toString() + u"/photos/huge.png"_s},
        {u"Duda"_s, elsewhere.toString() + u"/photos/small.png"_s},
        {u"Edu"_s, account.carddav.url().toString() + u"/photos/not-an-image.png"_s},
    };
    CardDavClient client;
    client.setCredentials(QString::fromLatin1(RadicaleServer::kUser), QString::fromLatin1(RadicaleServer::kPassword));
    for (const Card &card : cards) {
        const QByteArray vcard = "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:" + card.name.toUtf8() + "\r\nFN:" + card.name.toUtf8()
                                 + "\r\nN:;" + card.name.toUtf8() + ";;;\r\nPHOTO;VALUE=uri:" + card.photo.toUtf8() + "\r\nEND:VCARD\r\n";
        bool created = false;
        client.createCard(account.radicale.bookUrl(), card.name, vcard, [&](Result<QString> etag) { created = bool(etag); });
        QTRY_VERIFY_WITH_TIMEOUT(created, 20000);
    }

    GCSessionWaiter waiter(GCSession::sharedSession());
    Result<EntryList> rows = waiter.fetch();
    QVERIFY(rows);
    QCOMPARE(rows->size(), cards.size());
    const int before = account.carddav.count(u"/photos/"_s);
    GCSessionDelegate::RunResult result = waiter.importContacts(GCSession::sharedSession().fetchedIdentifiers());
    // Every contact arrives; only the picture that could be had is kept.
    QCOMPARE(result.done, int(cards.size()));
    QCOMPARE(account.carddav.count(u"/photos/"_s) - before, 4); // not the other host
    ABAddressBookRef book = env.open();
    for (const ABRecordRef &person : book->copyArrayOfAllPeople()) {
        const QString name = person->copyText(kABPersonFirstNameProperty);
        QCOMPARE(person->hasImageData(), name == u"Ana"_s);
        if (name == u"Ana"_s)
            QCOMPARE(QImage::fromData(person->copyImageData()).size(), QSize(6, 4));
    }
}

// `vennaro account` prints the address to open, and a later run uses the stored tokens.
void ProviderSignInTest::commandLine()
{
    TestEnvironment env;
    ProviderAccount account;
    QVERIFY2(account.radicale.startError().isEmpty(), qPrintable(account.radicale.startError()));
    addPerson(env, u"Rita"_s);
    const QStringList server{u"--url"_s, account.carddav.url().toString(), u"--user"_s, u"alice"_s};
    QString out, err;
    bool browsed = false;
    const int exported = ProgramRuns::runAlongside(env, account.cloud.configFolder(), QStringList{u"account"_s, u"export"_s} + server,
                                                   &out, &err, [&browsed](const QString &output) {
        const qsizetype at = output.indexOf(u"http://"_s);
        if (browsed || at < 0 || !output.mid(at).contains(u'\n'))
            return;
        browsed = true;
        CloudFixture::browse(QUrl(output.mid(at).section(u'\n', 0, 0)));
    });
    QVERIFY2(exported == 0, qPrintable(out + err));
    QVERIFY(browsed);
    QVERIFY2(out.endsWith(u"1 contacts created, 0 failed.\n"_s), qPrintable(out));

    QCOMPARE(ProgramRuns::runAlongside(env, account.cloud.configFolder(), QStringList{u"account"_s, u"list"_s} + server, &out, &err), 0);
    QVERIFY2(!out.contains(u"http://"_s) && out.endsWith(u"\tRita\n"_s), qPrintable(out + err));
}

QTEST_GUILESS_MAIN(ProviderSignInTest)
#include "provider_signin_test.moc"
