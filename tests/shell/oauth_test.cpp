// Sign-in with PKCE against a stand-in authorize/token service, token storage and refresh.

#include "support/CloudFixture.h"
#include "platform/Localization.h"
#include "shell/OAuthPkce.h"
#include "shell/OAuthSession.h"
#include "shell/OAuthSignIn.h"
#include "shell/OAuthTokenStore.h"

#include <QFile>
#include <QNetworkAccessManager>
#include <QSignalSpy>
#include <QtTest>

using namespace Qt::StringLiterals;

class OAuthTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void challengeIsS256OfVerifier();
    void signInThroughTheBrowser_data();
    void signInThroughTheBrowser();
    void foreignStateIsRefused();
    void busyPortFallsBackToPastedCode();
    void refreshBeforeExpiry();
    void refusedRefreshAsksToSignInAgain();

private:
    // Runs a sign-in to its end; the browser is played by `browser` with the address.
    static Result<OAuthTokens> run(OAuthSignIn &signIn, const std::function<void(const QUrl &)> &browser);
};

Result<OAuthTokens> OAuthTest::run(OAuthSignIn &signIn, const std::function<void(const QUrl &)> &browser)
{
    std::optional<Result<OAuthTokens>> outcome;
    const QUrl address = signIn.start([&outcome](Result<OAuthTokens> tokens) { outcome.emplace(std::move(tokens)); });
    browser(address);
    if (!QTest::qWaitFor([&outcome] { return outcome.has_value(); }, 10000))
        return Error{u"timed out"_s};
    return *outcome;
}

void OAuthTest::challengeIsS256OfVerifier()
{
    // The example of RFC 7636, appendix B.
    QCOMPARE(OAuthPkce::challengeFor("dBjftJeZ4CVP-mB92K27uhbUJU1p1r_wW1gFWFOEjXk"), "E9Melhoa2OwvFrEMTJguCHaoeK1t8URWbuGJSstw-cM"_ba);
    const QByteArray verifier = OAuthPkce::newVerifier();
    QCOMPARE(verifier.size(), 43);
    QVERIFY(QRegularExpression(u"^[A-Za-z0-9_-]+$"_s).match(QString::fromLatin1(verifier)).hasMatch());
    QVERIFY(verifier != OAuthPkce::newVerifier());
}

void OAuthTest::signInThroughTheBrowser_data()
{
    QTest::addColumn<bool>("withSecret");
    QTest::newRow("dropbox: no secret") << false;
    QTest::newRow("drive: desktop client secret and scope") << true;
}

void OAuthTest::signInThroughTheBrowser()
{
    QFETCH(bool, withSecret);
    CloudFixture fixture;
    OAuthStandIn &auth = withSecret ? fixture.driveAuth : fixture.dropboxAuth;
    OAuthProvider provider = auth.provider(u"test"_s);
    provider.scope = u"files"_s;
    QNetworkAccessManager network;
    OAuthSignIn signIn(provider, &network);
    QByteArray page;
    int status = 0;
    Result<OAuthTokens> tokens = run(signIn, [&](const QUrl &address) {
        QCOMPARE(QUrlQuery(address).queryItemValue(u"redirect_uri"_s, QUrl::FullyDecoded), signIn.redirectUri().toString());
        QVERIFY(signIn.redirectUri().toString().startsWith(u"http://127.0.0.1:"_s));
        page = CloudFixture::browse(address, &status);
    });
    QVERIFY2(tokens.ok(), qPrintable(tokens.ok() ? QString() : tokens.error() + u" / "_s + auth.lastError));
    QCOMPARE(status, 200);
    QVERIFY(page.contains(L("KSignInDone").toUtf8()));
    QVERIFY(auth.isValidAccessToken(tokens->accessToken));
    QVERIFY(tokens->refreshToken.startsWith(u"rt-"_s));
    QVERIFY(!tokens->expiresSoon());
}

void OAuthTest::foreignStateIsRefused()
{
    CloudFixture fixture;
    QNetworkAccessManager network;
    OAuthSignIn signIn(fixture.dropboxAuth.provider(u"test"_s), &network);
    Result<OAuthTokens> tokens = run(signIn, [&](const QUrl &address) {
        // Another page sends the browser back with a code of its own: refused, still waiting.
        int status = 0;
        CloudFixture::browse(QUrl(signIn.redirectUri().toString() + u"?code=evil&state=other"_s), &status);
        QCOMPARE(status, 400);
        CloudFixture::browse(address);
    });
    QVERIFY(tokens.ok());
}

void OAuthTest::busyPortFallsBackToPastedCode()
{
    CloudFixture fixture;
    QTcpServer occupant;
    QVERIFY(occupant.listen(QHostAddress::LocalHost, 0));
    QNetworkAccessManager network;
    OAuthSignIn signIn(fixture.dropboxAuth.provider(u"test"_s, occupant.serverPort()), &network);
    Result<OAuthTokens> tokens = run(signIn, [&](const QUrl &address) {
        QVERIFY(signIn.waitsForPastedCode());
        QVERIFY(!QUrlQuery(address).hasQueryItem(u"redirect_uri"_s));
        // The service shows the code; the user pastes it with stray blanks.
        const QByteArray shown = CloudFixture::browse(address);
        signIn.finishWithCode(u"  "_s + QString::fromUtf8(shown) + u"\n"_s);
    });
    QVERIFY2(tokens.ok(), qPrintable(fixture.dropboxAuth.lastError));
}

void OAuthTest::refreshBeforeExpiry()
{
    CloudFixture fixture;
    QNetworkAccessManager network;
    OAuthSession session(fixture.dropboxAuth.provider(u"test"_s), &network);
    QVERIFY(session.link(fixture.dropboxAuth.issue(60)).ok());
    // Owner-only file.
    const QFile::Permissions mode = QFile::permissions(OAuthTokenStore::path());
    QVERIFY(mode.testFlags(QFile::ReadOwner | QFile::WriteOwner));
    QVERIFY(!(mode & (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther)));

    std::optional<Result<QString>> token;
    session.accessToken([&token](Result<QString> t) { token.emplace(std::move(t)); });
    QTRY_VERIFY(token.has_value());
    QVERIFY(token->ok());
    QCOMPARE(fixture.dropboxAuth.refreshCount, 1);
    // The new token is stored and the refresh token kept.
    const OAuthTokens stored = OAuthTokenStore::load(u"test"_s);
    QCOMPARE(stored.accessToken, **token);
    QVERIFY(!stored.refreshToken.isEmpty());
    QVERIFY(!stored.expiresSoon());

    // A fresh token is used as it is.
    token.reset();
    session.accessToken([&token](Result<QString> t) { token.emplace(std::move(t)); });
    QTRY_VERIFY(token.has_value());
    QCOMPARE(fixture.dropboxAuth.refreshCount, 1);
}

void OAuthTest::refusedRefreshAsksToSignInAgain()
{
    CloudFixture fixture;
    QNetworkAccessManager network;
    OAuthSession session(fixture.driveAuth.provider(u"test"_s), &network);
    QVERIFY(session.link(fixture.driveAuth.issue(10)).ok());
    fixture.driveAuth.revokeRefreshTokens();
    std::optional<Result<QString>> token;
    session.accessToken([&token](Result<QString> t) { token.emplace(std::move(t)); });
    QTRY_VERIFY(token.has_value());
    QVERIFY(!token->ok());
    QVERIFY(token->error().startsWith(L("KCloudSignInAgain")));
    QVERIFY(token->error().contains(u"expired or revoked"_s));
    QVERIFY(!session.isLinked());
    QVERIFY(OAuthTokenStore::load(u"test"_s).isEmpty());
}

QTEST_GUILESS_MAIN(OAuthTest)
#include "oauth_test.moc"
