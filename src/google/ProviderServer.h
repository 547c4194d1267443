#pragma once

#include "shell/OAuthProvider.h"

#include <QString>
#include <QUrl>

// The contacts account provider's own CardDAV service. It accepts only OAuth 2 bearer tokens,
// so its address signs in through the browser (OAuth 2 with PKCE and a loopback redirect)
// rather than with a password; account names there are mail addresses of its domain.
//
// Its addresses and our client identity can be changed by keys of the user's defaults
// (ContactsProviderURL, ContactsAuthorizeURL, ContactsTokenURL, ContactsClientId,
// ContactsClientSecret), so tests point them at this machine; the identity comes from the build.
namespace ProviderServer {
// Whether an address belongs to the provider's service (its hosts, or the host and port of
// ContactsProviderURL).
bool isProvider(const QUrl &url);
// The provider's mail domain, appended to an account name without "@".
inline constexpr const char *kDefaultMailDomain = "gmail.com";
// "name" -> "name@gmail.com"; a name holding "@" stays as it is.
QString completedAccountName(const QString &name);
// The sign-in of `account` with the contacts scope; its tokens are stored under the account.
OAuthProvider oauthProvider(const QString &account);
}
