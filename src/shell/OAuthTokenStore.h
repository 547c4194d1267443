#pragma once

#include "OAuthProvider.h"
#include "platform/Result.h"

#include <QString>

// The signed-in accounts' tokens, for this user only: one JSON file readable and writable by
// its owner alone (mode 0600) next to the user's defaults in the configuration folder. Tokens
// never go to a log.
namespace OAuthTokenStore {
QString path();
OAuthTokens load(const QString &provider);
Result<void> save(const QString &provider, const OAuthTokens &tokens);
Result<void> remove(const QString &provider);
}
