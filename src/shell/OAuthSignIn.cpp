#include "OAuthSignIn.h"

#include "OAuthPkce.h"
#include "OAuthTokenRequest.h"
#include "platform/DevLog.h"
#include "platform/Localization.h"

#include <QTcpSocket>
#include <QUrlQuery>

namespace {
// Requests larger than this are not a browser coming back with a code.
constexpr int kMaxRequestHead = 16 * 1024;

void answerBrowser(QTcpSocket *socket, int status, const QString &text)
{
    const QByteArray page = QStringLiteral("<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>Vennaro</title></head>"
                                           "<body><p>%1</p></body></html>")
                                .arg(text.toHtmlEscaped())
                                .toUtf8();
    const QByteArray reason = status == 200 ? " OK" : status == 404 ? " Not Found" : " Bad Request";
    socket->write("HTTP/1.1 " + QByteArray::number(status) + reason
                  + "\r\nContent-Type: text/html; charset=utf-8\r\nConnection: close\r\nContent-Length: "
                  + QByteArray::number(page.size()) + "\r\n\r\n" + page);
    socket->disconnectFromHost();
}
}

OAuthSignIn::OAuthSignIn(OAuthProvider provider, QNetworkAccessManager *network, QObject *parent)
    : QObject(parent), m_provider(std::move(provider)), m_network(network)
{
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = m_server.nextPendingConnection()) {
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readRedirect(socket); });
        }
    });
}

OAuthSignIn::~OAuthSignIn() = default;

QUrl OAuthSignIn::start(Done done)
{
    m_done = std::move(done);
    m_verifier = OAuthPkce::newVerifier();
    m_state = OAuthPkce::newState();
    // The redirect goes to this machine only.
    m_pasteCode = !m_server.listen(QHostAddress::LocalHost, m_provider.redirectPort);
    if (m_pasteCode) {
        DevLog::log(QStringLiteral("sign-in %1: port %2 busy, the code is pasted").arg(m_provider.name).arg(m_provider.redirectPort));
    } else {
        m_redirectUri = QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(m_provider.redirectPath));
    }

    QUrlQuery query;
    query.addQueryItem(QStringLiteral("client_id"), m_provider.clientId);
    query.addQueryItem(QStringLiteral("response_type"), QStringLiteral("code"));
    if (!m_redirectUri.isEmpty())
        query.addQueryItem(QStringLiteral("redirect_uri"), m_redirectUri.toString());
    if (!m_provider.scope.isEmpty())
        query.addQueryItem(QStringLiteral("scope"), m_provider.scope);
    query.addQueryItem(QStringLiteral("state"), QString::fromLatin1(m_state));
    query.addQueryItem(QStringLiteral("code_challenge"), QString::fromLatin1(OAuthPkce::challengeFor(m_verifier)));
    query.addQueryItem(QStringLiteral("code_challenge_method"), QStringLiteral("S256"));
    for (const auto &[key, value] : m_provider.extraAuthorizeItems)
        query.addQueryItem(key, value);
    QUrl url = m_provider.authorizeUrl;
    url.setQuery(query);
    return url;
}

void OAuthSignIn::readRedirect(QTcpSocket *socket)
{
    if (!m_server.isListening() || m_exchanging)
        return;
    const QByteArray head = socket->peek(kMaxRequestHead + 1);
    if (!head.contains("\r\n\r\n")) {
        if (head.size() > kMaxRequestHead)
            socket->abort();
        return;
    }
    const QList<QByteArray> requestLine = head.left(head.indexOf("\r\n")).split(' ');
    const QUrl target(QString::fromLatin1(requestLine.value(1)));
    if (requestLine.value(0) != "GET" || target.path() != m_provider.redirectPath) {
        // Browsers also ask for a favicon; only the redirect counts.
        answerBrowser(socket, 404, QStringLiteral("Not found"));
        return;
    }
    const QUrlQuery query(target);
    const QString state = query.queryItemValue(QStringLiteral("state"), QUrl::FullyDecoded);
    if (state != QString::fromLatin1(m_state)) {
        // Not the answer to our request: someone else's page sent the browser here.
        answerBrowser(socket, 400, L("KSignInFailed"));
        return;
    }
    m_server.close();
    const QString error = query.queryItemValue(QStringLiteral("error"), QUrl::FullyDecoded);
    if (!error.isEmpty()) {
        const QString description = query.queryItemValue(QStringLiteral("error_description"), QUrl::FullyDecoded);
        answerBrowser(socket, 400, L("KSignInFailed"));
        finish(Error{description.isEmpty() ? error : description});
        return;
    }
    answerBrowser(socket, 200, L("KSignInDone"));
    finishWithCode(query.queryItemValue(QStringLiteral("code"), QUrl::FullyDecoded));
}

void OAuthSignIn::finishWithCode(const QString &code)
{
    if (m_exchanging || !m_done)
        return;
    m_exchanging = true;
    m_server.close();
    QUrlQuery form;
    form.addQueryItem(QStringLiteral("grant_type"), QStringLiteral("authorization_code"));
    form.addQueryItem(QStringLiteral("code"), code.trimmed());
    form.addQueryItem(QStringLiteral("code_verifier"), QString::fromLatin1(m_verifier));
    if (!m_redirectUri.isEmpty())
        form.addQueryItem(QStringLiteral("redirect_uri"), m_redirectUri.toString());
    QPointer<OAuthSignIn> self(this);
    OAuthTokenRequest::post(m_network, m_provider, form, [self](const OAuthTokens *tokens, const OAuthTokenRequest::Failure &failure) {
        if (!self)
            return;
        if (tokens)
            self->finish(*tokens);
        else
            self->finish(Error{failure.description});
    });
}

void OAuthSignIn::finish(Result<OAuthTokens> result)
{
    if (Done done = std::exchange(m_done, {}))
        done(std::move(result));
}
