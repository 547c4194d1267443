#pragma once

#include "HttpStandIn.h"

#include <QDateTime>
#include <QMap>
#include <QStringList>

class OAuthStandIn;

// Google Drive API v3 routes that the program uses, keeping files in memory. It checks the
// bearer token, evaluates the simple queries (name, mimeType, 'x' in parents, trashed), asks
// for `fields` as the real service needs to return sizes and dates, parses multipart/related
// uploads, runs resumable sessions with 256 KiB pieces and 308 answers, and answers with
// Drive's error shape.
class DriveStandIn : public HttpStandIn {
    Q_OBJECT
public:
    explicit DriveStandIn(OAuthStandIn *auth, QObject *parent = nullptr);

    struct File {
        QString name;
        QString mimeType;
        QStringList parents;
        QByteArray content;
        bool trashed = false;
        QDateTime modified;
    };
    QMap<QString, File> files; // by id

    QString addFile(const File &file);
    // The id of the first file with this name ("" when none).
    QString idOf(const QString &name) const;

    int pageSize = 1000;
    // The next `count` requests get Drive's 403 userRateLimitExceeded.
    int rateLimitNext = 0;

protected:
    Response handle(const Request &request) override;

private:
    Response error(int status, const QString &reason, const QString &message);
    Response list(const Request &request);
    Response create(const Request &request);
    Response multipart(const Request &request);
    Response startResumable(const Request &request);
    Response resumablePiece(const QString &session, const Request &request);
    QJsonObject resource(const QString &id) const;
    bool matches(const File &file, const QString &query) const;

    struct Session {
        File file;
        qint64 total = 0;
    };
    OAuthStandIn *m_auth;
    QMap<QString, Session> m_sessions;
    int m_serial = 0;
};
