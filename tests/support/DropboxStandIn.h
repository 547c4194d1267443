#pragma once

#include "HttpStandIn.h"

#include <QDateTime>
#include <QMap>

class OAuthStandIn;

// Dropbox's API v2 routes that the program uses, on one loopback port for both the API and
// the content host, keeping files in memory. It checks what Dropbox checks: the bearer token,
// JSON bodies with their content type on RPC routes, an HTTP-header-safe (ASCII)
// Dropbox-API-Arg, octet-stream upload bodies, no content type on a download, upload session
// offsets; and it answers with Dropbox's error shapes.
class DropboxStandIn : public HttpStandIn {
    Q_OBJECT
public:
    explicit DropboxStandIn(OAuthStandIn *auth, QObject *parent = nullptr);

    struct Entry {
        QString path; // as displayed
        bool folder = false;
        QByteArray content;
        QDateTime modified;
    };
    QMap<QString, Entry> entries; // by lower-case path

    void putFile(const QString &path, const QByteArray &content);
    void putFolder(const QString &path);
    QByteArray content(const QString &path) const { return entries.value(path.toLower()).content; }
    bool has(const QString &path) const { return entries.contains(path.toLower()); }

    int pageSize = 2000;
    // The next `count` requests get a 429 with this Retry-After.
    void rateLimitNext(int count, int retryAfter) { m_limited = count, m_retryAfter = retryAfter; }
    // The answer to the next session append is lost (the piece was kept).
    bool loseNextAppendAnswer = false;

protected:
    Response handle(const Request &request) override;

private:
    Response rpc(const QString &route, const QJsonObject &argument);
    Response contentRoute(const QString &route, const Request &request, const QJsonObject &argument);
    Response conflict(const QByteArray &summary, const QJsonObject &error);
    Response listPage(const QString &folder, int from);
    QJsonObject metadata(const Entry &entry) const;

    OAuthStandIn *m_auth;
    int m_limited = 0;
    int m_retryAfter = 1;
    QMap<QString, QByteArray> m_sessions;
    int m_serial = 0;
};
