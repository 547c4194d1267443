#pragma once

#include "DavMultistatus.h"
#include "platform/Result.h"

#include <QByteArray>
#include <QList>
#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>

class OAuthSession;
class QNetworkReply;

// A CardDAV (RFC 6352) client for one account: finds the address book, lists and fetches its
// cards and creates new ones. Requests run on the calling thread's event loop, one at a time
// per call chain, over one keep-alive connection per host; every answer comes back through a
// callback. Redirects are followed here, not by Qt, so that the credentials reach a host the
// account was moved to (never from https down to http).
//
// Errors are readable texts. A refused sign-in (HTTP 401 or 403) always contains
// "HTTP error 401" or "HTTP error 403", which isLoginRefusal() recognises.
class CardDavClient : public QObject {
    Q_OBJECT
public:
    struct CardRef {
        QString href;
        QString etag;
    };
    struct Card {
        QString href;
        QString etag;
        QByteArray data;
    };
    template <typename T>
    using Done = std::function<void(Result<T>)>;

    // Cards asked for in one addressbook-multiget.
    static constexpr int kMultigetBatch = 100;

    explicit CardDavClient(QObject *parent = nullptr);

    // Basic authentication with an account name and (app) password.
    void setCredentials(const QString &user, const QString &password);
    // OAuth 2 instead (Authorization: Bearer): every request carries the session's access
    // token; one the server refuses (401) is refreshed once and the request sent again.
    void setBearerSession(OAuthSession *session);
    // Token requests of a bearer session may share the client's connections.
    QNetworkAccessManager *network() { return &m_network; }

    // The address book to work on. `start` is either a server address (discovery through
    // /.well-known/carddav, the principal and its address-book home; the first address book
    // is taken) or the full address of one address book.
    void findAddressBook(const QUrl &start, Done<QUrl> done);
    // Every card of the book with its ETag.
    void listCards(const QUrl &book, Done<QList<CardRef>> done);
    // The cards at these hrefs, fetched in batches of kMultigetBatch. A card the server does not
    // return (404 inside the answer) is logged and left out; a failing batch fails the call.
    void fetchCards(const QUrl &book, const QStringList &hrefs, Done<QList<Card>> done);
    // Stores one new card as BOOK/UID.vcf, never replacing an existing one. Answers its ETag
    // (empty when the server sends none).
    void createCard(const QUrl &book, const QString &uid, const QByteArray &vcard, Done<QString> done);

    // The image at `photo`, which must be on the book's host (scheme, host and port): the
    // credentials go nowhere else, redirects included. Answers larger than kMaxPhotoBytes fail.
    void fetchPhoto(const QUrl &book, const QUrl &photo, Done<QByteArray> done);
    static constexpr qint64 kMaxPhotoBytes = 5 * 1024 * 1024;

    // Cancels every request in flight; their callbacks are not called.
    void cancel();

    static bool isLoginRefusal(const QString &error);
    // "https://" before an address typed without a scheme.
    static QUrl serverUrl(const QString &typed);

private:
    struct Answer {
        int status = 0;
        QUrl url;          // after redirects: hrefs of the answer are relative to it
        QByteArray body;
        QByteArray etag;
    };
    using Sent = std::function<void(Result<Answer>)>;
    struct Request {
        QByteArray method;
        QUrl url;
        QByteArray body;
        QList<std::pair<QByteArray, QByteArray>> headers;
        bool tokenRefreshed = false; // a bearer token was refreshed for it already
        qint64 maxBody = 0;          // > 0: a longer answer fails
        bool sameOrigin = false;     // redirects must stay on the request's host
    };

    // With a bearer session, `freshToken` asks it for a new token first.
    void send(Request request, Sent sent, int redirectsLeft = kMaxRedirects, bool freshToken = false);
    void transmit(const Request &request, const QByteArray &authorization, Sent sent, int redirectsLeft);
    void finished(QNetworkReply *reply, const Request &request, const Sent &sent, int redirectsLeft);
    // A multistatus answer and the address its hrefs are relative to.
    struct Listing {
        QUrl url;
        QList<DavMultistatus::Response> responses;
    };
    void propfind(const QUrl &url, int depth, const QByteArray &properties, Done<Listing> done);
    void findPrincipal(const QUrl &start, bool wellKnown, Done<QUrl> done);
    void findHome(const QUrl &principal, Done<QUrl> done);
    void findFirstBook(const QUrl &home, Done<QUrl> done);
    void fetchBatch(const QUrl &book, QStringList hrefs, int from, QList<Card> cards, Done<QList<Card>> done);

    static constexpr int kMaxRedirects = 5;
    QNetworkAccessManager m_network;
    QByteArray m_authorization;
    QPointer<OAuthSession> m_bearer;
    // Bumped by cancel(): answers of an older generation are dropped.
    int m_generation = 0;
};
