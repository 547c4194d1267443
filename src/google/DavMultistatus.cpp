#include "DavMultistatus.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <memory>

namespace {

// Bodies larger than this are not taken for an answer (a listing of 100,000 cards is far less).
constexpr qsizetype kMaxBody = 256 * 1024 * 1024;

QString elementKey(const xmlNode *node)
{
    const char *ns = node->ns && node->ns->href ? reinterpret_cast<const char *>(node->ns->href) : "";
    return DavMultistatus::key(ns, reinterpret_cast<const char *>(node->name));
}

bool is(const xmlNode *node, const char *ns, const char *local)
{
    return node->type == XML_ELEMENT_NODE && elementKey(node) == DavMultistatus::key(ns, local);
}

QString textOf(const xmlNode *node)
{
    xmlChar *content = xmlNodeGetContent(node);
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(content));
    xmlFree(content);
    return text;
}

// "HTTP/1.1 404 Not Found" -> 404.
int statusCode(const QString &line)
{
    const QStringList parts = line.simplified().split(QLatin1Char(' '));
    return parts.size() >= 2 ? parts.at(1).toInt() : 0;
}

template <typename Visit>
void forEachElement(const xmlNode *parent, Visit visit)
{
    for (const xmlNode *child = parent->children; child; child = child->next) {
        if (child->type == XML_ELEMENT_NODE)
            visit(child);
    }
}

DavMultistatus::Property readProperty(const xmlNode *node)
{
    DavMultistatus::Property property;
    property.text = textOf(node);
    forEachElement(node, [&](const xmlNode *child) {
        property.children.append(elementKey(child));
        if (is(child, DavMultistatus::kDav, "href"))
            property.hrefs.append(textOf(child).trimmed());
    });
    return property;
}

void readPropstat(const xmlNode *propstat, DavMultistatus::Response &response)
{
    int status = 200;
    forEachElement(propstat, [&](const xmlNode *child) {
        if (is(child, DavMultistatus::kDav, "status"))
            status = statusCode(textOf(child));
    });
    if (status < 200 || status > 299)
        return;
    forEachElement(propstat, [&](const xmlNode *child) {
        if (!is(child, DavMultistatus::kDav, "prop"))
            return;
        forEachElement(child, [&](const xmlNode *property) {
            response.properties.insert(elementKey(property), readProperty(property));
        });
    });
}

DavMultistatus::Response readResponse(const xmlNode *node)
{
    DavMultistatus::Response response;
    forEachElement(node, [&](const xmlNode *child) {
        if (is(child, DavMultistatus::kDav, "href") && response.href.isEmpty())
            response.href = textOf(child).trimmed();
        else if (is(child, DavMultistatus::kDav, "status"))
            response.status = statusCode(textOf(child));
        else if (is(child, DavMultistatus::kDav, "propstat"))
            readPropstat(child, response);
    });
    return response;
}

struct DocumentDeleter {
    void operator()(xmlDoc *doc) const { xmlFreeDoc(doc); }
};

} // namespace

QString DavMultistatus::key(const char *ns, const char *local)
{
    return QString::fromUtf8(ns) + QLatin1Char('|') + QString::fromUtf8(local);
}

const DavMultistatus::Property *DavMultistatus::Response::property(const char *ns, const char *local) const
{
    const auto found = properties.constFind(key(ns, local));
    return found == properties.cend() ? nullptr : &*found;
}

Result<QList<DavMultistatus::Response>> DavMultistatus::parse(const QByteArray &body)
{
    if (body.isEmpty() || body.size() > kMaxBody)
        return Error{QStringLiteral("The server's answer is empty or too large.")};
    // No entity substitution, no DTD loading, no network: a server's answer is plain data.
    const int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_NOBLANKS;
    std::unique_ptr<xmlDoc, DocumentDeleter> doc(
        xmlReadMemory(body.constData(), int(body.size()), "multistatus.xml", nullptr, options));
    if (!doc)
        return Error{QStringLiteral("The server's answer is not XML.")};
    // WebDAV answers never declare a document type. One that does could define entities, which
    // reading an element's text would expand (libxml2 stops only the largest nestings).
    if (xmlGetIntSubset(doc.get()))
        return Error{QStringLiteral("The server's answer declares a document type.")};
    const xmlNode *root = xmlDocGetRootElement(doc.get());
    if (!root || !is(root, kDav, "multistatus"))
        return Error{QStringLiteral("The server's answer is not a WebDAV multistatus.")};
    QList<Response> responses;
    forEachElement(root, [&](const xmlNode *child) {
        if (is(child, kDav, "response"))
            responses.append(readResponse(child));
    });
    return responses;
}

QString DavMultistatus::escaped(const QString &text)
{
    return text.toHtmlEscaped();
}
