#include "GCLoginController.h"

#include "CardDavClient.h"
#include "ContactsServerSetting.h"
#include "GCSession.h"
#include "ProviderServer.h"
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

bool GCLoginController::fieldsComplete()
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
    if (m_password.isEmpty()) {
        alert("KPasswordRequired", L("KEnterPassword"));
        return false;
    }
    return true;
}

void GCLoginController::login()
{
    if (m_authenticating || !fieldsComplete())
        return;
    const QUrl server = CardDavClient::serverUrl(m_server);
    if (!server.isValid())
        return alert("KUnableToLogin", L("KInvalidServer"));
    if (ProviderServer::isProvider(server)) {
        m_email = ProviderServer::completedAccountName(m_email);
        return startBrowserSignIn();
    }
    m_authenticating = true;
    Q_EMIT changed();
    const QString account = m_email;
    QPointer<GCLoginController> self(this);
    GCSession::sharedSession().login(server, account, m_password, [self, account](Result<void> result) {
        if (self)
            self->loginFinished(account, result ? QString() : result.error());
    });
}

void GCLoginController::startBrowserSignIn()
{
    // The provider's CardDAV takes only an OAuth 2 bearer token: its sign-in runs in the
    // browser (PKCE, loopback redirect) and hands the token to CardDavClient in place of the
    // password. Until that sign-in is part of the program, the user is told why it stops here.
    DevLog::log(QStringLiteral("login: %1 needs the browser sign-in").arg(m_server));
    alert("KUnableToLogin", L("KBrowserSignInNeeded"));
}

void GCLoginController::loginFinished(const QString &account, const QString &error)
{
    m_authenticating = false;
    Q_EMIT changed();
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
    if (m_authenticating) {
        GCSession::sharedSession().cancelLogin();
        m_authenticating = false;
        Q_EMIT changed();
    }
    if (m_delegate)
        m_delegate(std::nullopt);
}
