#pragma once

#include <QString>
#include <QUrl>

// The contacts account provider's own CardDAV service. It accepts only OAuth 2 bearer tokens,
// so its address signs in through the browser (OAuth 2 with PKCE and a loopback redirect)
// rather than with a password; account names there are mail addresses of its domain.
namespace ProviderServer {
// Whether an address belongs to the provider's service.
bool isProvider(const QUrl &url);
// The provider's mail domain, appended to an account name without "@".
inline constexpr const char *kDefaultMailDomain = "gmail.com";
// "name" -> "name@gmail.com"; a name holding "@" stays as it is.
QString completedAccountName(const QString &name);
}
