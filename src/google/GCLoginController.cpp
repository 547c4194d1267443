#include "GCLoginController.h"

#include "CardDavClient.h"
#include "ContactsServerSetting.h"
#include "GCSession.h"
#include "ProviderServer.h"
#include "ProviderSignIn.h"
#include "platform/DevLog.h"
#include "platform/Localization.h"
#include "shell/AppData.h"
#include "shell/UiHost.h"

#include <QPointer>

namespace {

void alert(const char *titleKey, const QString &text)
{
    if (UiHost *host = UiHost::current())
        host->showAlert(L(titleKey), text);
}

} // namespace

GCLoginController::GCLoginController(QObject *parent) : ScreenController(GCLoginScreen, parent)
{
    m_server = ContactsServerSetting::load();
    m_email = AppData::sharedInstance().emailGoogle();
}

GCLoginController::~GCLoginController()
{
    if (m_authenticating)
        GCSession::sharedSession().cancelLogin();
}

QString GCLoginController::title() const
{
    return L("KGoogleContacts");
}

QString GCLoginController::statusText() const
{
    return m_authenticating ? L("KAuthenticating") : QString();
}

bool GCLoginController::fieldsComplete(bool needsPassword)
{
    m_email = m_email.trimmed();
    if (m_server.trimmed().isEmpty()) {
        alert("KServerRequired", L("KEnterServer"));
        return false;
    }
    if (m_email.isEmpty()) {
        alert("KEmailRequired", L("KEnterEmail"));
        return false;
    }
    if (needsPassword && m_password.isEmpty()) {
        alert("KPasswordRequired", L("KEnterPassword"));
        return false;
    }
    return true;
}

void GCLoginController::setAuthenticating(bool authenticating)
{
    m_authenticating = authenticating;
    Q_EMIT changed();
}

void GCLoginController::login()
{
    const QUrl server = CardDavClient::serverUrl(m_server);
    const bool provider = ProviderServer::isProvider(server);
    if (m_authenticating || !fieldsComplete(!provider))
        return;
    if (!server.isValid())
        return alert("KUnableToLogin", L("KInvalidServer"));
    if (provider) {
        m_email = ProviderServer::completedAccountName(m_email);
        return startBrowserSignIn(server);
    }
    setAuthenticating(true);
    const QString account = m_email;
    QPointer<GCLoginController> self(this);
    GCSession::sharedSession().login(server, account, m_password, [self, account](Result<void> result) {
        if (self)
            self->loginFinished(account, result ? QString() : result.error());
    });
}

void GCLoginController::startBrowserSignIn(const QUrl &server)
{
    // The provider's CardDAV takes only OAuth 2 bearer tokens: the account's stored tokens,
    // else those of a sign-in in the browser.
    setAuthenticating(true);
    delete m_providerSignIn;
    m_providerSignIn = new ProviderSignIn(GCSession::sharedSession(), server, m_email, [](const QUrl &address) {
        if (UiHost *host = UiHost::current())
            host->openUrl(address);
    }, this);
    QPointer<GCLoginController> self(this);
    const QString account = m_email;
    m_providerSignIn->start([self, account](Result<void> result) {
        if (!self)
            return;
        self->m_providerSignIn->deleteLater();
        self->m_providerSignIn = nullptr;
        self->loginFinished(account, result ? QString() : result.error());
    });
}

void GCLoginController::loginFinished(const QString &account, const QString &error)
{
    setAuthenticating(false);
    if (!error.isEmpty()) {
        DevLog::log(QStringLiteral("login failed: %1").arg(error));
        alert("KUnableToLogin", CardDavClient::isLoginRefusal(error) ? L("KInvalidLogin") : error);
        return;
    }
    if (ContactsServerSetting::load() != m_server.trimmed() && !ContactsServerSetting::save(m_server.trimmed()))
        DevLog::log(QStringLiteral("login: the server address could not be saved"));
    m_password.clear();
    if (m_delegate)
        m_delegate(account);
}

void GCLoginController::cancel()
{
    // The browser may still come back: nobody listens any more.
    delete m_providerSignIn;
    m_providerSignIn = nullptr;
    if (m_authenticating) {
        GCSession::sharedSession().cancelLogin();
        setAuthenticating(false);
    }
    if (m_delegate)
        m_delegate(std::nullopt);
}
