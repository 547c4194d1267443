#include "DriveFolder.h"

#include "platform/DevLog.h"
#include "platform/Localization.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkReply>
#include <QPointer>
#include <QRandomGenerator>
#include <QUrlQuery>

namespace {
const QString kFolderType = QStringLiteral("application/vnd.google-apps.folder");

QJsonObject json(const CloudHttp::Reply &reply)
{
    return QJsonDocument::fromJson(reply.body).object();
}

bool succeeded(const CloudHttp::Reply &reply)
{
    return reply.status / 100 == 2;
}

Result<void> outcome(const CloudHttp::Reply &reply)
{
    return succeeded(reply) ? Result<void>() : Result<void>(Error{DriveFolder::errorText(reply)});
}

// A Drive query's string literal.
QString quoted(const QString &text)
{
    QString escaped = text;
    escaped.replace(QLatin1Char('\\'), QStringLiteral("\\\\")).replace(QLatin1Char('\''), QStringLiteral("\\'"));
    return QLatin1Char('\'') + escaped + QLatin1Char('\'');
}
}

struct DriveFolder::Listing {
    QList<RemoteFile> files;
    ListDone done;
};

struct DriveFolder::Resumable {
    QByteArray content;
    QString mimeType;
    QUrl session;
    qint64 offset = 0;
    Progress progress;
    Done done;
};

DriveFolder::DriveFolder(OAuthSession *session, QUrl apiBase, QObject *parent) : RemoteFolder(session, parent), m_api(std::move(apiBase))
{
    http().setRateLimitTest(&DriveFolder::isRateLimited);
}

void DriveFolder::setUploadLimits(qint64 multipartLimit, qint64 chunk)
{
    m_multipartLimit = multipartLimit;
    m_chunk = chunk;
}

QString DriveFolder::mimeTypeFor(const QString &name)
{
    const QString suffix = QFileInfo(name).suffix().toLower();
    if (suffix == QLatin1String("html") || suffix == QLatin1String("htm"))
        return QStringLiteral("text/html");
    if (suffix == QLatin1String("txt") || suffix == QLatin1String("vcf") || suffix == QLatin1String("ldif"))
        return QStringLiteral("text/plain");
    if (suffix == QLatin1String("csv"))
        return QStringLiteral("text/csv");
    if (suffix == QLatin1String("vnbin") || suffix == QLatin1String("zip"))
        return QStringLiteral("application/octet-stream");
    return QString();
}

QString DriveFolder::errorText(const CloudHttp::Reply &reply)
{
    if (reply.status == 0 || !reply.networkError.isEmpty())
        return reply.networkError;
    const QString message = json(reply).value(QStringLiteral("error")).toObject().value(QStringLiteral("message")).toString();
    if (!message.isEmpty())
        return message;
    const QString text = QString::fromUtf8(reply.body).trimmed();
    return text.isEmpty() ? QStringLiteral("HTTP %1").arg(reply.status) : text.left(500);
}

bool DriveFolder::isRateLimited(int status, const QByteArray &body)
{
    if (status != 403)
        return false;
    const QJsonArray errors = QJsonDocument::fromJson(body).object().value(QStringLiteral("error")).toObject().value(QStringLiteral("errors")).toArray();
    for (const QJsonValue &error : errors) {
        const QString reason = error.toObject().value(QStringLiteral("reason")).toString();
        if (reason == QLatin1String("rateLimitExceeded") || reason == QLatin1String("userRateLimitExceeded"))
            return true;
    }
    return false;
}

QUrl DriveFolder::apiUrl(const QString &path, const QList<QPair<QString, QString>> &items) const
{
    QUrl url = m_api;
    url.setPath(url.path() + path);
    QUrlQuery query;
    for (const auto &[key, value] : items)
        query.addQueryItem(key, QString::fromUtf8(QUrl::toPercentEncoding(value)));
    url.setQuery(query);
    return url;
}

void DriveFolder::ensureFolder(Done done)
{
    if (!m_folderId.isEmpty()) {
        done({});
        return;
    }
    const QString q = QStringLiteral("name=%1 and mimeType=%2 and 'root' in parents and trashed=false").arg(quoted(folderName()), quoted(kFolderType));
    QNetworkRequest request(apiUrl(QStringLiteral("/drive/v3/files"),
                                   {{QStringLiteral("q"), q}, {QStringLiteral("fields"), QStringLiteral("files(id,name)")}, {QStringLiteral("spaces"), QStringLiteral("drive")}}));
    QPointer<DriveFolder> self(this);
    http().send({"GET", request, {}}, [self, done](const CloudHttp::Reply &reply) {
        if (!self)
            return;
        if (!succeeded(reply)) {
            done(outcome(reply));
            return;
        }
        const QJsonArray found = json(reply).value(QStringLiteral("files")).toArray();
        if (found.isEmpty()) {
            self->createFolder(done);
            return;
        }
        self->m_folderId = found.first().toObject().value(QStringLiteral("id")).toString();
        done({});
    });
}

void DriveFolder::createFolder(Done done)
{
    QNetworkRequest request(apiUrl(QStringLiteral("/drive/v3/files"), {{QStringLiteral("fields"), QStringLiteral("id")}}));
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json; charset=UTF-8"));
    const QJsonObject metadata{{QStringLiteral("name"), folderName()},
                               {QStringLiteral("mimeType"), kFolderType},
                               {QStringLiteral("parents"), QJsonArray{QStringLiteral("root")}}};
    QPointer<DriveFolder> self(this);
    http().send({"POST", request, QJsonDocument(metadata).toJson(QJsonDocument::Compact)}, [self, done](const CloudHttp::Reply &reply) {
        if (self && succeeded(reply))
            self->m_folderId = json(reply).value(QStringLiteral("id")).toString();
        done(outcome(reply));
    });
}

void DriveFolder::listFiles(ListDone done)
{
    QPointer<DriveFolder> self(this);
    ensureFolder([self, done](Result<void> ready) {
        if (!self)
            return;
        if (!ready)
            done(Error{ready.error()});
        else
            self->listPage(std::make_shared<Listing>(Listing{{}, done}), QString());
    });
}

void DriveFolder::listPage(std::shared_ptr<Listing> listing, const QString &pageToken)
{
    QList<QPair<QString, QString>> query{{QStringLiteral("q"), QStringLiteral("%1 in parents and trashed=false").arg(quoted(m_folderId))},
                                         {QStringLiteral("fields"), QStringLiteral("nextPageToken,files(id,name,mimeType,size,modifiedTime)")},
                                         {QStringLiteral("pageSize"), QStringLiteral("1000")}};
    if (!pageToken.isEmpty())
        query.append({QStringLiteral("pageToken"), pageToken});
    QPointer<DriveFolder> self(this);
    http().send({"GET", QNetworkRequest(apiUrl(QStringLiteral("/drive/v3/files"), query)), {}}, [self, listing](const CloudHttp::Reply &reply) {
        if (!self)
            return;
        if (!succeeded(reply)) {
            listing->done(Error{errorText(reply)});
            return;
        }
        const QJsonObject page = json(reply);
        for (const QJsonValue &value : page.value(QStringLiteral("files")).toArray()) {
            const QJsonObject file = value.toObject();
            if (file.value(QStringLiteral("mimeType")).toString() == kFolderType)
                continue;
            // Sizes come as decimal strings; documents of Google's own formats have none.
            bool sized = false;
            const qint64 size = file.value(QStringLiteral("size")).toString().toLongLong(&sized);
            listing->files.append({file.value(QStringLiteral("name")).toString(), file.value(QStringLiteral("id")).toString(),
                                   QDateTime::fromString(file.value(QStringLiteral("modifiedTime")).toString(), Qt::ISODate),
                                   sized && size > 0 ? size : -1});
        }
        const QString next = page.value(QStringLiteral("nextPageToken")).toString();
        if (next.isEmpty())
            listing->done(listing->files);
        else
            self->listPage(listing, next);
    });
}

void DriveFolder::uploadFile(const QString &name, const QByteArray &content, Progress progress, Done done)
{
    const QString mimeType = mimeTypeFor(name);
    if (mimeType.isEmpty()) {
        done(Error{L("KNeedMimeType").arg(name)});
        return;
    }
    QPointer<DriveFolder> self(this);
    ensureFolder([self, name, content, mimeType, progress, done](Result<void> ready) {
        if (!self)
            return;
        if (!ready) {
            done(ready);
            return;
        }
        const QByteArray metadata = QJsonDocument(QJsonObject{{QStringLiteral("name"), name},
                                                              {QStringLiteral("parents"), QJsonArray{self->m_folderId}}})
                                        .toJson(QJsonDocument::Compact);
        if (content.size() > self->m_multipartLimit) {
            QNetworkRequest start(self->apiUrl(QStringLiteral("/upload/drive/v3/files"), {{QStringLiteral("uploadType"), QStringLiteral("resumable")}}));
            start.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json; charset=UTF-8"));
            start.setRawHeader("X-Upload-Content-Type", mimeType.toLatin1());
            start.setRawHeader("X-Upload-Content-Length", QByteArray::number(content.size()));
            self->http().send({"POST", start, metadata}, [self, content, mimeType, progress, done](const CloudHttp::Reply &reply) {
                if (!self)
                    return;
                const QUrl session(QString::fromUtf8(reply.raw ? reply.raw->rawHeader("Location") : QByteArray()));
                if (!succeeded(reply) || !session.isValid() || session.isEmpty()) {
                    done(succeeded(reply) ? Result<void>(Error{QStringLiteral("no upload session")}) : outcome(reply));
                    return;
                }
                self->sendResumablePiece(std::make_shared<Resumable>(Resumable{content, mimeType, session, 0, progress, done}));
            });
            return;
        }
        const QByteArray boundary = "vennaro" + QByteArray::number(QRandomGenerator::global()->generate64(), 16);
        QByteArray body = "--" + boundary + "\r\nContent-Type: application/json; charset=UTF-8\r\n\r\n" + metadata + "\r\n--" + boundary
                          + "\r\nContent-Type: " + mimeType.toLatin1() + "\r\n\r\n" + content + "\r\n--" + boundary + "--\r\n";
        QNetworkRequest request(self->apiUrl(QStringLiteral("/upload/drive/v3/files"),
                                             {{QStringLiteral("uploadType"), QStringLiteral("multipart")}, {QStringLiteral("fields"), QStringLiteral("id,size")}}));
        request.setHeader(QNetworkRequest::ContentTypeHeader, QString::fromLatin1("multipart/related; boundary=" + boundary));
        self->http().send({"POST", request, body}, [done](const CloudHttp::Reply &reply) { done(outcome(reply)); }, bytesProgress(progress));
    });
}

void DriveFolder::sendResumablePiece(std::shared_ptr<Resumable> upload)
{
    const qint64 total = upload->content.size();
    const QByteArray piece = upload->content.mid(upload->offset, m_chunk);
    QNetworkRequest request(upload->session);
    request.setHeader(QNetworkRequest::ContentTypeHeader, upload->mimeType);
    request.setRawHeader("Content-Range", QStringLiteral("bytes %1-%2/%3").arg(upload->offset).arg(upload->offset + piece.size() - 1).arg(total).toLatin1());
    QPointer<DriveFolder> self(this);
    http().send({"PUT", request, piece}, [self, upload, total](const CloudHttp::Reply &reply) {
        if (!self)
            return;
        if (reply.status == 308) {
            // "Range: bytes=0-N" says what arrived; without it nothing did.
            const QByteArray range = reply.raw ? reply.raw->rawHeader("Range") : QByteArray();
            const qint64 received = range.isEmpty() ? 0 : range.mid(range.indexOf('-') + 1).toLongLong() + 1;
            if (received <= upload->offset && !range.isEmpty()) {
                upload->done(Error{QStringLiteral("upload did not advance")});
                return;
            }
            upload->offset = std::min(received, total);
            self->sendResumablePiece(upload);
            return;
        }
        upload->done(outcome(reply));
    }, bytesProgress(upload->progress, upload->offset, total));
}

void DriveFolder::downloadFile(const RemoteFile &file, Sink sink, Progress progress, Done done)
{
    if (file.id.isEmpty()) {
        done(Error{L("KMissingDownloadLink")});
        return;
    }
    QNetworkRequest request(apiUrl(QStringLiteral("/drive/v3/files/") + file.id, {{QStringLiteral("alt"), QStringLiteral("media")}}));
    http().send({"GET", request, {}}, [done](const CloudHttp::Reply &reply) { done(outcome(reply)); }, bytesProgress(progress), std::move(sink));
}

void DriveFolder::removeFile(const RemoteFile &file, Done done)
{
    http().send({"DELETE", QNetworkRequest(apiUrl(QStringLiteral("/drive/v3/files/") + file.id)), {}},
                [done](const CloudHttp::Reply &reply) { done(outcome(reply)); });
}
