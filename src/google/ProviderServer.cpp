#include "ProviderServer.h"

bool ProviderServer::isProvider(const QUrl &url)
{
    const QString host = url.host().toLower();
    for (const QLatin1String domain : {QLatin1String("googleapis.com"), QLatin1String("google.com")}) {
        if (host == domain || host.endsWith(QLatin1Char('.') + domain))
            return true;
    }
    return false;
}

QString ProviderServer::completedAccountName(const QString &name)
{
    return name.contains(QLatin1Char('@')) ? name : name + QLatin1Char('@') + QLatin1String(kDefaultMailDomain);
}
