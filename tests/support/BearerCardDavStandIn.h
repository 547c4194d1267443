#pragma once

#include "HttpStandIn.h"

#include <QHash>
#include <QUrl>

class OAuthStandIn;

// The provider's CardDAV as the program meets it: only bearer tokens that `auth` issued get
// through (401 otherwise), and every request that does is handed to a real CardDAV server
// (Radicale) with its own Basic credentials; redirects are rewritten to this address. Paths in
// `images` are answered here, as pictures a card points to.
class BearerCardDavStandIn : public HttpStandIn {
    Q_OBJECT
public:
    BearerCardDavStandIn(OAuthStandIn *auth, QUrl server, QByteArray user, QByteArray password, QObject *parent = nullptr);

    QHash<QString, QByteArray> images; // by path ("/photos/a.png")

protected:
    Response handle(const Request &request) override;

private:
    Response forward(const Request &request);

    OAuthStandIn *m_auth;
    QUrl m_server;
    QByteArray m_authorization;
};
