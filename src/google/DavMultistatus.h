#pragma once

#include "platform/Result.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

// The answer of a WebDAV PROPFIND or REPORT (a 207 multistatus body), read with libxml2.
// Element names are kept as "namespace|local" keys, so prefixes chosen by a server never
// matter.
namespace DavMultistatus {

inline constexpr const char *kDav = "DAV:";
inline constexpr const char *kCardDav = "urn:ietf:params:xml:ns:carddav";

// "namespace|local", the key of an element.
QString key(const char *ns, const char *local);

struct Property {
    QString text;          // the text content (address-data, getetag, displayname …)
    QStringList hrefs;     // the <href> children (current-user-principal, addressbook-home-set)
    QStringList children;  // the keys of the child elements (resourcetype)
};

struct Response {
    QString href;
    int status = 0;        // the response's own status line, when it has one (404 in a multiget)
    // Properties that came back with a 2xx status; the others are left out.
    QHash<QString, Property> properties;

    const Property *property(const char *ns, const char *local) const;
};

// Fails on a body that is not XML or has no multistatus root. The parser never loads
// external entities or DTDs.
Result<QList<Response>> parse(const QByteArray &body);

// Text escaped for an XML element or attribute.
QString escaped(const QString &text);

}
