#include "CloudAccounts.h"

#include "DriveFolder.h"
#include "DropboxFolder.h"
#include "shell/AccountHooks.h"
#include "shell/OAuthSession.h"
#include "shell/UserDefaults.h"

// The application keys (VENNARO_DROPBOX_APP_KEY …) come from the build (CMakeLists.txt).

namespace {
QString setting(const char *key, const QString &fallback)
{
    return UserDefaults::standardUserDefaults().stringForKey(QString::fromLatin1(key), fallback);
}

QUrl address(const char *key, const char *fallback)
{
    return QUrl(setting(key, QString::fromLatin1(fallback)));
}
}

CloudAccounts &CloudAccounts::instance()
{
    static CloudAccounts accounts;
    return accounts;
}

bool CloudAccounts::serviceNamed(const QString &name, Service *service)
{
    if (name == QLatin1String("dropbox"))
        *service = Dropbox;
    else if (name == QLatin1String("drive"))
        *service = Drive;
    else
        return false;
    return true;
}

QString CloudAccounts::displayName(Service service)
{
    return service == Dropbox ? QStringLiteral("Dropbox") : QStringLiteral("Google Drive");
}

OAuthProvider CloudAccounts::provider(Service service) const
{
    OAuthProvider provider;
    if (service == Dropbox) {
        provider.name = QStringLiteral("dropbox");
        provider.authorizeUrl = address("DropboxAuthorizeURL", "https://www.dropbox.com/oauth2/authorize");
        provider.tokenUrl = address("DropboxTokenURL", "https://api.dropboxapi.com/oauth2/token");
        provider.clientId = setting("DropboxAppKey", QStringLiteral(VENNARO_DROPBOX_APP_KEY));
        provider.extraAuthorizeItems = {{QStringLiteral("token_access_type"), QStringLiteral("offline")}};
        // Dropbox accepts only the exact redirect registered for the application.
        provider.redirectPort = quint16(setting("DropboxRedirectPort", QString::number(VENNARO_DROPBOX_REDIRECT_PORT)).toUInt());
        provider.redirectPath = QStringLiteral("/dropbox");
    } else {
        provider.name = QStringLiteral("drive");
        provider.authorizeUrl = address("DriveAuthorizeURL", "https://accounts.google.com/o/oauth2/v2/auth");
        provider.tokenUrl = address("DriveTokenURL", "https://oauth2.googleapis.com/token");
        provider.clientId = setting("DriveClientId", QStringLiteral(VENNARO_GOOGLE_CLIENT_ID));
        // Google's desktop clients send their (public) secret even with PKCE.
        provider.clientSecret = setting("DriveClientSecret", QStringLiteral(VENNARO_GOOGLE_CLIENT_SECRET));
        provider.scope = QStringLiteral("https://www.googleapis.com/auth/drive.file");
        provider.redirectPath = QStringLiteral("/drive");
    }
    return provider;
}

OAuthSession *CloudAccounts::session(Service service)
{
    std::unique_ptr<OAuthSession> &session = m_sessions[service];
    if (!session)
        session = std::make_unique<OAuthSession>(provider(service), &m_network);
    return session.get();
}

RemoteFolder *CloudAccounts::newFolder(Service service, QObject *parent)
{
    if (service == Dropbox)
        return new DropboxFolder(session(service), address("DropboxApiURL", "https://api.dropboxapi.com"),
                                 address("DropboxContentURL", "https://content.dropboxapi.com"), parent);
    return new DriveFolder(session(service), address("DriveApiURL", "https://www.googleapis.com"), parent);
}

void CloudAccounts::reset()
{
    m_sessions[Dropbox].reset();
    m_sessions[Drive].reset();
}

void CloudAccounts::installHooks()
{
    CloudAccountHooks hooks;
    // Sign-in comes back through a loopback listener, never as a link handed to the program.
    hooks.handleUrl = [](const QUrl &) { return false; };
    hooks.isLinked = [] { return instance().session(Dropbox)->isLinked(); };
    hooks.unlinkAll = [] {
        instance().session(Dropbox)->unlink();
        instance().session(Drive)->unlink();
    };
    // The cloud file list signs in by itself when it opens unlinked, so the chooser may go on to
    // it at once.
    hooks.link = [](std::function<void()> linked) { linked(); };
    AccountHooks::setCloud(std::move(hooks));
}
