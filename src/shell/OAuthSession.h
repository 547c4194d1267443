#pragma once

#include "OAuthProvider.h"
#include "platform/Result.h"

#include <QList>
#include <QObject>

#include <functional>

class QNetworkAccessManager;

// A signed-in account of one provider: its stored tokens and a usable access token, refreshed
// shortly before it runs out or when the service refused it.
class OAuthSession : public QObject {
    Q_OBJECT
public:
    using TokenDone = std::function<void(Result<QString>)>;

    OAuthSession(OAuthProvider provider, QNetworkAccessManager *network, QObject *parent = nullptr);

    const OAuthProvider &provider() const { return m_provider; }
    QNetworkAccessManager *network() const { return m_network; }
    bool isLinked() const { return !m_tokens.isEmpty(); }
    // Keeps and stores the tokens of a finished sign-in.
    Result<void> link(const OAuthTokens &tokens);
    void unlink();

    // The access token, refreshed first when it runs out within five minutes.
    void accessToken(TokenDone done);
    // A new access token after the service refused the current one.
    void refreshAccessToken(TokenDone done);

private:
    void finishRefresh(const Result<QString> &result);

    OAuthProvider m_provider;
    QNetworkAccessManager *m_network;
    OAuthTokens m_tokens;
    QList<TokenDone> m_waiting; // callers of a refresh that is running
};
