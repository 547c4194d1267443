#pragma once

#include "OAuthProvider.h"
#include "platform/Result.h"

#include <QUrlQuery>

#include <functional>

class QNetworkAccessManager;

// One POST to a service's token address (code exchange or refresh) and its JSON answer.
namespace OAuthTokenRequest {
struct Failure {
    QString error;       // the service's error code ("invalid_grant" …); empty for network trouble
    QString description; // what to show
};
using Done = std::function<void(const OAuthTokens *tokens, const Failure &failure)>;

// Sends `form` with the provider's client identity (and secret when it has one).
void post(QNetworkAccessManager *network, const OAuthProvider &provider, QUrlQuery form, Done done);
}
