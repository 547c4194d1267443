#include "CardDavClient.h"

#include "platform/DevLog.h"
#include "shell/OAuthSession.h"

#include <QNetworkReply>
#include <QNetworkRequest>

namespace {

constexpr int kTransferTimeoutMs = 60000;

const QByteArray kUserAgent = QByteArrayLiteral("Vennaro-1.0");

QByteArray propfindBody(const QByteArray &properties)
{
    return QByteArrayLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                             "<d:propfind xmlns:d=\"DAV:\" xmlns:c=\"urn:ietf:params:xml:ns:carddav\"><d:prop>")
           + properties + QByteArrayLiteral("</d:prop></d:propfind>");
}

QByteArray multigetBody(const QStringList &hrefs)
{
    QByteArray body = QByteArrayLiteral(
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
        "<c:addressbook-multiget xmlns:d=\"DAV:\" xmlns:c=\"urn:ietf:params:xml:ns:carddav\">"
        "<d:prop><d:getetag/><c:address-data/></d:prop>");
    for (const QString &href : hrefs)
        body += "<d:href>" + DavMultistatus::escaped(href).toUtf8() + "</d:href>";
    return body + "</c:addressbook-multiget>";
}

bool isAddressBook(const DavMultistatus::Response &response)
{
    const DavMultistatus::Property *type = response.property(DavMultistatus::kDav, "resourcetype");
    return type && type->children.contains(DavMultistatus::key(DavMultistatus::kCardDav, "addressbook"));
}

bool isCollection(const DavMultistatus::Response &response)
{
    const DavMultistatus::Property *type = response.property(DavMultistatus::kDav, "resourcetype");
    return type && type->children.contains(DavMultistatus::key(DavMultistatus::kDav, "collection"));
}

// The first href of a property, resolved against the answer's address.
std::optional<QUrl> hrefProperty(const QUrl &base, const QList<DavMultistatus::Response> &responses,
                                 const char *ns, const char *local)
{
    for (const DavMultistatus::Response &response : responses) {
        const DavMultistatus::Property *property = response.property(ns, local);
        if (property && !property->hrefs.isEmpty())
            return base.resolved(QUrl(property->hrefs.first()));
    }
    return std::nullopt;
}

QString httpError(int status, const QByteArray &method, const QUrl &url)
{
    return QStringLiteral("HTTP error %1 (%2 %3)").arg(status).arg(QString::fromLatin1(method), url.toDisplayString(QUrl::RemoveUserInfo));
}

Error noAddressBook(const QUrl &url)
{
    return Error{QStringLiteral("No contacts address book was found at %1.").arg(url.toDisplayString(QUrl::RemoveUserInfo))};
}

bool samePath(const QUrl &a, const QUrl &b)
{
    auto path = [](const QUrl &url) {
        QString p = url.path(QUrl::FullyDecoded);
        return p.endsWith(QLatin1Char('/')) ? p : p + QLatin1Char('/');
    };
    return path(a) == path(b);
}

bool sameOrigin(const QUrl &a, const QUrl &b)
{
    return a.scheme() == b.scheme() && a.host().compare(b.host(), Qt::CaseInsensitive) == 0 && a.port(-1) == b.port(-1);
}

} // namespace

CardDavClient::CardDavClient(QObject *parent) : QObject(parent)
{
    // Keep-alive connections are reused; nothing is cached on disk.
    m_network.setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
}

void CardDavClient::setCredentials(const QString &user, const QString &password)
{
    m_bearer = nullptr;
    m_authorization = "Basic " + (user + QLatin1Char(':') + password).toUtf8().toBase64();
}

void CardDavClient::setBearerSession(OAuthSession *session)
{
    m_bearer = session;
    m_authorization.clear();
}

bool CardDavClient::isLoginRefusal(const QString &error)
{
    return error.contains(QLatin1String("error 401"), Qt::CaseInsensitive)
           || error.contains(QLatin1String("error 403"), Qt::CaseInsensitive);
}

QUrl CardDavClient::serverUrl(const QString &typed)
{
    const QString trimmed = typed.trimmed();
    if (trimmed.isEmpty())
        return {};
    const bool hasScheme = trimmed.startsWith(QLatin1String("http://"), Qt::CaseInsensitive)
                           || trimmed.startsWith(QLatin1String("https://"), Qt::CaseInsensitive);
    QUrl url(hasScheme ? trimmed : QStringLiteral("https://") + trimmed, QUrl::TolerantMode);
    if (url.path().isEmpty())
        url.setPath(QStringLiteral("/"));
    return url.isValid() && !url.host().isEmpty() ? url : QUrl();
}

void CardDavClient::cancel()
{
    ++m_generation;
}

void CardDavClient::send(Request request, Sent sent, int redirectsLeft, bool freshToken)
{
    if (!m_bearer)
        return transmit(request, m_authorization, std::move(sent), redirectsLeft);
    QPointer<CardDavClient> self(this);
    const int generation = m_generation;
    auto withToken = [self, generation, request = std::move(request), sent = std::move(sent), redirectsLeft](Result<QString> token) {
        if (!self || generation != self->m_generation)
            return;
        if (!token)
            return sent(Error{token.error()});
        self->transmit(request, "Bearer " + token->toUtf8(), sent, redirectsLeft);
    };
    if (freshToken)
        m_bearer->refreshAccessToken(std::move(withToken));
    else
        m_bearer->accessToken(std::move(withToken));
}

void CardDavClient::transmit(const Request &request, const QByteArray &authorization, Sent sent, int redirectsLeft)
{
    QNetworkRequest network(request.url);
    network.setTransferTimeout(kTransferTimeoutMs);
    network.setRawHeader("User-Agent", kUserAgent);
    if (!authorization.isEmpty())
        network.setRawHeader("Authorization", authorization);
    for (const auto &[name, value] : std::as_const(request.headers))
        network.setRawHeader(name, value);
    QNetworkReply *reply = m_network.sendCustomRequest(network, request.method, request.body);
    if (request.maxBody > 0) {
        connect(reply, &QNetworkReply::downloadProgress, reply, [reply, limit = request.maxBody](qint64 received, qint64 total) {
            if (received > limit || total > limit) {
                reply->setProperty("tooLarge", true);
                reply->abort();
            }
        });
    }
    const int generation = m_generation;
    connect(reply, &QNetworkReply::finished, this, [this, reply, request, sent, redirectsLeft, generation] {
        reply->deleteLater();
        if (generation == m_generation)
            finished(reply, request, sent, redirectsLeft);
    });
}

void CardDavClient::finished(QNetworkReply *reply, const Request &request, const Sent &sent, int redirectsLeft)
{
    if (reply->property("tooLarge").toBool())
        return sent(Error{QStringLiteral("The answer of %1 is larger than %2 bytes.").arg(request.url.toDisplayString(QUrl::RemoveUserInfo)).arg(request.maxBody)});
    const QVariant statusValue = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!statusValue.isValid()) {
        sent(Error{reply->errorString()});
        return;
    }
    const int status = statusValue.toInt();
    if (status == 401 && m_bearer && !request.tokenRefreshed) {
        // The access token ran out (or was withdrawn): once with a new one.
        Request again = request;
        again.tokenRefreshed = true;
        send(std::move(again), sent, redirectsLeft, true);
        return;
    }
    if (status == 301 || status == 302 || status == 303 || status == 307 || status == 308) {
        const QUrl target = request.url.resolved(QUrl(QString::fromUtf8(reply->rawHeader("Location"))));
        if (redirectsLeft <= 0 || !target.isValid())
            return sent(Error{QStringLiteral("Too many redirects from %1.").arg(request.url.toDisplayString())});
        if (request.url.scheme() == QLatin1String("https") && target.scheme() != QLatin1String("https"))
            return sent(Error{QStringLiteral("The server redirected to an unencrypted address (%1).").arg(target.toDisplayString())});
        if (request.sameOrigin && !sameOrigin(request.url, target))
            return sent(Error{QStringLiteral("The server redirected to another host (%1).").arg(target.toDisplayString(QUrl::RemoveUserInfo))});
        Request next = request;
        next.url = target;
        send(std::move(next), sent, redirectsLeft - 1);
        return;
    }
    Answer answer;
    answer.status = status;
    answer.url = request.url;
    answer.body = reply->readAll();
    answer.etag = reply->rawHeader("ETag");
    if (status < 200 || status > 299)
        return sent(Error{httpError(status, request.method, request.url)});
    sent(std::move(answer));
}

void CardDavClient::propfind(const QUrl &url, int depth, const QByteArray &properties, Done<Listing> done)
{
    Request request{"PROPFIND", url, propfindBody(properties),
                    {{"Depth", QByteArray::number(depth)}, {"Content-Type", "application/xml; charset=utf-8"}}};
    send(std::move(request), [done](Result<Answer> answer) {
        if (!answer)
            return done(Error{answer.error()});
        Result<QList<DavMultistatus::Response>> responses = DavMultistatus::parse(answer->body);
        if (!responses)
            return done(Error{responses.error()});
        done(Listing{answer->url, std::move(*responses)});
    });
}

void CardDavClient::findAddressBook(const QUrl &start, Done<QUrl> done)
{
    if (!start.isValid() || start.host().isEmpty())
        return done(Error{QStringLiteral("The server address is not valid.")});
    // A bare server goes through the well-known address; a path may be the book itself.
    const bool bare = start.path().isEmpty() || start.path() == QLatin1String("/");
    QUrl first = start;
    if (bare)
        first.setPath(QStringLiteral("/.well-known/carddav"));
    findPrincipal(first, bare, std::move(done));
}

void CardDavClient::findPrincipal(const QUrl &start, bool wellKnown, Done<QUrl> done)
{
    propfind(start, 0, "<d:resourcetype/><d:current-user-principal/><c:addressbook-home-set/>",
             [this, start, wellKnown, done](Result<Listing> listing) {
                 if (!listing) {
                     // Servers without the well-known address are asked at their root.
                     if (wellKnown && !isLoginRefusal(listing.error())) {
                         QUrl root = start;
                         root.setPath(QStringLiteral("/"));
                         return findPrincipal(root, false, done);
                     }
                     return done(Error{listing.error()});
                 }
                 for (const DavMultistatus::Response &response : std::as_const(listing->responses)) {
                     if (isAddressBook(response))
                         return done(listing->url.resolved(QUrl(response.href)));
                 }
                 if (auto home = hrefProperty(listing->url, listing->responses, DavMultistatus::kCardDav, "addressbook-home-set"))
                     return findFirstBook(*home, done);
                 if (auto principal = hrefProperty(listing->url, listing->responses, DavMultistatus::kDav, "current-user-principal"))
                     return findHome(*principal, done);
                 done(noAddressBook(start));
             });
}

void CardDavClient::findHome(const QUrl &principal, Done<QUrl> done)
{
    propfind(principal, 0, "<c:addressbook-home-set/>", [this, principal, done](Result<Listing> listing) {
        if (!listing)
            return done(Error{listing.error()});
        if (auto home = hrefProperty(listing->url, listing->responses, DavMultistatus::kCardDav, "addressbook-home-set"))
            return findFirstBook(*home, done);
        done(noAddressBook(principal));
    });
}

void CardDavClient::findFirstBook(const QUrl &home, Done<QUrl> done)
{
    propfind(home, 1, "<d:resourcetype/><d:displayname/>", [home, done](Result<Listing> listing) {
        if (!listing)
            return done(Error{listing.error()});
        for (const DavMultistatus::Response &response : std::as_const(listing->responses)) {
            if (isAddressBook(response))
                return done(listing->url.resolved(QUrl(response.href)));
        }
        done(noAddressBook(home));
    });
}

void CardDavClient::listCards(const QUrl &book, Done<QList<CardRef>> done)
{
    propfind(book, 1, "<d:resourcetype/><d:getetag/>", [book, done](Result<Listing> listing) {
        if (!listing)
            return done(Error{listing.error()});
        QList<CardRef> cards;
        for (const DavMultistatus::Response &response : std::as_const(listing->responses)) {
            if (isCollection(response) || samePath(listing->url.resolved(QUrl(response.href)), book))
                continue;
            const DavMultistatus::Property *etag = response.property(DavMultistatus::kDav, "getetag");
            cards.append({response.href, etag ? etag->text.trimmed() : QString()});
        }
        done(std::move(cards));
    });
}

void CardDavClient::fetchCards(const QUrl &book, const QStringList &hrefs, Done<QList<Card>> done)
{
    fetchBatch(book, hrefs, 0, {}, std::move(done));
}

void CardDavClient::fetchBatch(const QUrl &book, QStringList hrefs, int from, QList<Card> cards, Done<QList<Card>> done)
{
    if (from >= hrefs.size())
        return done(std::move(cards));
    const QStringList batch = hrefs.mid(from, kMultigetBatch);
    Request request{"REPORT", book, multigetBody(batch),
                    {{"Depth", "1"}, {"Content-Type", "application/xml; charset=utf-8"}}};
    send(std::move(request), [this, book, hrefs = std::move(hrefs), from, cards = std::move(cards), done](Result<Answer> answer) mutable {
        if (!answer)
            return done(Error{answer.error()});
        Result<QList<DavMultistatus::Response>> responses = DavMultistatus::parse(answer->body);
        if (!responses)
            return done(Error{responses.error()});
        for (const DavMultistatus::Response &response : std::as_const(*responses)) {
            const DavMultistatus::Property *data = response.property(DavMultistatus::kCardDav, "address-data");
            if (!data || (response.status != 0 && response.status != 200)) {
                DevLog::log(QStringLiteral("fetchCards %1: not returned (%2)").arg(response.href).arg(response.status));
                continue;
            }
            const DavMultistatus::Property *etag = response.property(DavMultistatus::kDav, "getetag");
            cards.append({response.href, etag ? etag->text.trimmed() : QString(), data->text.toUtf8()});
        }
        fetchBatch(book, std::move(hrefs), from + kMultigetBatch, std::move(cards), std::move(done));
    });
}

void CardDavClient::createCard(const QUrl &book, const QString &uid, const QByteArray &vcard, Done<QString> done)
{
    QUrl folder = book;
    if (!folder.path().endsWith(QLatin1Char('/')))
        folder.setPath(folder.path() + QLatin1Char('/'));
    // The UID names the resource; anything but letters, digits and "-" is encoded.
    const QUrl target = folder.resolved(QUrl(QString::fromLatin1(QUrl::toPercentEncoding(uid, "-")) + QStringLiteral(".vcf")));
    Request request{"PUT", target, vcard,
                    {{"If-None-Match", "*"}, {"Content-Type", "text/vcard; charset=utf-8"}}};
    send(std::move(request), [done](Result<Answer> answer) {
        if (!answer)
            return done(Error{answer.error()});
        done(QString::fromLatin1(answer->etag));
    });
}

void CardDavClient::fetchPhoto(const QUrl &book, const QUrl &photo, Done<QByteArray> done)
{
    if (!sameOrigin(book, photo))
        return done(Error{QStringLiteral("The photo is on another host (%1).").arg(photo.toDisplayString(QUrl::RemoveUserInfo))});
    Request request{"GET", photo, {}, {{"Accept", "image/*"}}};
    request.maxBody = kMaxPhotoBytes;
    request.sameOrigin = true;
    send(std::move(request), [done](Result<Answer> answer) {
        if (!answer)
            return done(Error{answer.error()});
        done(std::move(answer->body));
    });
}
