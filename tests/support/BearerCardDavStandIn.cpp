#include "BearerCardDavStandIn.h"

#include "OAuthStandIn.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>

BearerCardDavStandIn::BearerCardDavStandIn(OAuthStandIn *auth, QUrl server, QByteArray user, QByteArray password, QObject *parent)
    : HttpStandIn(parent), m_auth(auth), m_server(std::move(server)), m_authorization("Basic " + (user + ':' + password).toBase64())
{
}

HttpStandIn::Response BearerCardDavStandIn::handle(const Request &request)
{
    if (!m_auth->isValidAccessToken(request.bearer()))
        return {401, {{"WWW-Authenticate", "Bearer realm=\"contacts\""}}, "Invalid Credentials"};
    const auto image = images.constFind(request.target.path());
    if (image != images.constEnd())
        return {200, {{"Content-Type", "image/png"}}, *image};
    return forward(request);
}

HttpStandIn::Response BearerCardDavStandIn::forward(const Request &request)
{
    QUrl target = m_server;
    target.setPath(request.target.path());
    target.setQuery(request.target.query());
    QNetworkRequest outgoing(target);
    outgoing.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    for (const char *name : {"content-type", "depth", "if-none-match", "if-match", "accept"}) {
        if (request.headers.contains(name))
            outgoing.setRawHeader(name, request.header(name));
    }
    outgoing.setRawHeader("Authorization", m_authorization);
    QNetworkAccessManager network;
    QNetworkReply *reply = network.sendCustomRequest(outgoing, request.method, request.body);
    QEventLoop loop;
    connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec();
    Response response{reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), {}, reply->readAll()};
    for (const char *name : {"Content-Type", "ETag"}) {
        if (reply->hasRawHeader(name))
            response.headers.append({name, reply->rawHeader(name)});
    }
    if (reply->hasRawHeader("Location")) {
        QUrl location = target.resolved(QUrl::fromEncoded(reply->rawHeader("Location")));
        location.setPort(port());
        response.headers.append({"Location", location.toEncoded()});
    }
    delete reply;
    return response;
}
