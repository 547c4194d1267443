#include "ProviderServer.h"

#include "shell/UserDefaults.h"

// The client identity (VENNARO_GOOGLE_CLIENT_ID …) comes from the build (CMakeLists.txt).

namespace {
QString setting(const char *key, const QString &fallback)
{
    return UserDefaults::standardUserDefaults().stringForKey(QString::fromLatin1(key), fallback);
}
}

bool ProviderServer::isProvider(const QUrl &url)
{
    const QString host = url.host().toLower();
    for (const QLatin1String domain : {QLatin1String("googleapis.com"), QLatin1String("google.com")}) {
        if (host == domain || host.endsWith(QLatin1Char('.') + domain))
            return true;
    }
    const QUrl configured(setting("ContactsProviderURL", QString()));
    return !configured.host().isEmpty() && configured.host().compare(host, Qt::CaseInsensitive) == 0
           && configured.port(-1) == url.port(-1);
}

QString ProviderServer::completedAccountName(const QString &name)
{
    return name.contains(QLatin1Char('@')) ? name : name + QLatin1Char('@') + QLatin1String(kDefaultMailDomain);
}

OAuthProvider ProviderServer::oauthProvider(const QString &account)
{
    OAuthProvider provider;
    provider.name = QStringLiteral("contacts:") + account.toLower();
    provider.authorizeUrl = QUrl(setting("ContactsAuthorizeURL", QStringLiteral("https://accounts.google.com/o/oauth2/v2/auth")));
    provider.tokenUrl = QUrl(setting("ContactsTokenURL", QStringLiteral("https://oauth2.googleapis.com/token")));
    provider.clientId = setting("ContactsClientId", QStringLiteral(VENNARO_GOOGLE_CLIENT_ID));
    // Desktop clients of this provider send their (public) secret even with PKCE.
    provider.clientSecret = setting("ContactsClientSecret", QStringLiteral(VENNARO_GOOGLE_CLIENT_SECRET));
    provider.scope = QStringLiteral("https://www.googleapis.com/auth/carddav");
    // The browser is asked for this account, and the sign-in page starts with it.
    provider.extraAuthorizeItems = {{QStringLiteral("login_hint"), account}};
    provider.redirectPath = QStringLiteral("/contacts");
    return provider;
}
