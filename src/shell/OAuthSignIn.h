#pragma once

#include "OAuthProvider.h"
#include "platform/Result.h"

#include <QObject>
#include <QPointer>
#include <QTcpServer>
#include <QUrl>

#include <functional>

class QNetworkAccessManager;
class QTcpSocket;

// One sign-in: the address the user opens in a browser, the loopback listener that receives
// the browser's return with the code, and the exchange of the code for tokens. When the
// provider's fixed redirect port is busy, the address asks the service to show the code and the
// user pastes it (finishWithCode).
class OAuthSignIn : public QObject {
    Q_OBJECT
public:
    using Done = std::function<void(Result<OAuthTokens>)>;

    OAuthSignIn(OAuthProvider provider, QNetworkAccessManager *network, QObject *parent = nullptr);
    ~OAuthSignIn() override;

    // Starts listening and answers the address for the browser. `done` runs once, with the
    // tokens or the reason the sign-in failed.
    QUrl start(Done done);
    bool waitsForPastedCode() const { return m_pasteCode; }
    // The redirect address registered with the service (empty when the code is pasted).
    QUrl redirectUri() const { return m_redirectUri; }
    void finishWithCode(const QString &code);

private:
    void readRedirect(QTcpSocket *socket);
    void finish(Result<OAuthTokens> result);

    OAuthProvider m_provider;
    QNetworkAccessManager *m_network;
    QTcpServer m_server;
    QByteArray m_verifier;
    QByteArray m_state;
    QUrl m_redirectUri;
    bool m_pasteCode = false;
    bool m_exchanging = false;
    Done m_done;
};
