#include "DropboxFolder.h"

#include "platform/DevLog.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QNetworkReply>
#include <QPointer>

namespace {
QString tagOf(const QJsonObject &object)
{
    return object.value(QStringLiteral(".tag")).toString();
}

QJsonObject errorOf(const CloudHttp::Reply &reply)
{
    return QJsonDocument::fromJson(reply.body).object().value(QStringLiteral("error")).toObject();
}

bool succeeded(const CloudHttp::Reply &reply)
{
    return reply.status == 200;
}

// Where an upload session really stands after a lost answer, if the service said so.
qint64 correctOffset(const CloudHttp::Reply &reply)
{
    QJsonObject error = errorOf(reply);
    if (tagOf(error) == QLatin1String("lookup_failed"))
        error = error.value(QStringLiteral("lookup_failed")).toObject();
    if (reply.status != 409 || tagOf(error) != QLatin1String("incorrect_offset"))
        return -1;
    return qint64(error.value(QStringLiteral("correct_offset")).toDouble(-1));
}
}

struct DropboxFolder::Listing {
    QList<RemoteFile> files;
    ListDone done;
};

struct DropboxFolder::Session {
    QString name;
    QByteArray content;
    QString id;
    qint64 offset = 0;
    Progress progress;
    Done done;
};

DropboxFolder::DropboxFolder(OAuthSession *session, QUrl apiBase, QUrl contentBase, QObject *parent)
    : RemoteFolder(session, parent), m_api(std::move(apiBase)), m_content(std::move(contentBase))
{
}

void DropboxFolder::setUploadSessionLimits(qint64 threshold, qint64 chunk)
{
    m_sessionThreshold = threshold;
    m_chunk = chunk;
}

QByteArray DropboxFolder::headerArgument(const QJsonObject &argument)
{
    const QString json = QString::fromUtf8(QJsonDocument(argument).toJson(QJsonDocument::Compact));
    QByteArray escaped;
    escaped.reserve(json.size());
    for (const QChar c : json) {
        if (c.unicode() < 0x7f)
            escaped.append(char(c.unicode()));
        else
            escaped.append(QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0')).toLatin1());
    }
    return escaped;
}

QString DropboxFolder::errorText(const CloudHttp::Reply &reply)
{
    if (reply.status == 0 || !reply.networkError.isEmpty())
        return reply.networkError;
    const QJsonObject json = QJsonDocument::fromJson(reply.body).object();
    const QString summary = json.value(QStringLiteral("error_summary")).toString();
    if (!summary.isEmpty())
        return summary;
    // 400 answers are plain text.
    const QString text = QString::fromUtf8(reply.body).trimmed();
    return text.isEmpty() ? QStringLiteral("HTTP %1").arg(reply.status) : text.left(500);
}

QString DropboxFolder::pathOf(const QString &name)
{
    return QLatin1Char('/') + folderName() + QLatin1Char('/') + name;
}

QJsonObject DropboxFolder::commitInfo(const QString &name)
{
    return {{QStringLiteral("path"), pathOf(name)},
            {QStringLiteral("mode"), QStringLiteral("overwrite")},
            {QStringLiteral("autorename"), false},
            {QStringLiteral("mute"), true},
            {QStringLiteral("strict_conflict"), false}};
}

void DropboxFolder::rpc(const QString &route, const QJsonObject &argument, CloudHttp::Done done)
{
    QUrl url = m_api;
    url.setPath(url.path() + QStringLiteral("/2/") + route);
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    http().send({"POST", request, QJsonDocument(argument).toJson(QJsonDocument::Compact)}, std::move(done));
}

void DropboxFolder::content(const QString &route, const QJsonObject &argument, const QByteArray &body, CloudHttp::Done done,
                            CloudHttp::Progress progress, Sink sink)
{
    QUrl url = m_content;
    url.setPath(url.path() + QStringLiteral("/2/") + route);
    QNetworkRequest request(url);
    request.setRawHeader("Dropbox-API-Arg", headerArgument(argument));
    // A download has no body and must not carry a content type.
    if (!sink)
        request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/octet-stream"));
    http().send({"POST", request, body}, std::move(done), std::move(progress), std::move(sink));
}

void DropboxFolder::ensureFolder(Done done)
{
    if (m_folderReady) {
        done({});
        return;
    }
    const QJsonObject argument{{QStringLiteral("path"), QLatin1Char('/') + folderName()}, {QStringLiteral("autorename"), false}};
    QPointer<DropboxFolder> self(this);
    rpc(QStringLiteral("files/create_folder_v2"), argument, [self, done](const CloudHttp::Reply &reply) {
        // The folder being there already is what we wanted.
        const QJsonObject error = errorOf(reply);
        const QJsonObject conflict = error.value(QStringLiteral("path")).toObject();
        const bool exists = reply.status == 409 && tagOf(error) == QLatin1String("path") && tagOf(conflict) == QLatin1String("conflict")
                            && tagOf(conflict.value(QStringLiteral("conflict")).toObject()) == QLatin1String("folder");
        if (!succeeded(reply) && !exists) {
            DevLog::log(QStringLiteral("create_folder_v2 %1").arg(errorText(reply)));
            done(Error{errorText(reply)});
            return;
        }
        if (self)
            self->m_folderReady = true;
        done({});
    });
}

void DropboxFolder::listFiles(ListDone done)
{
    QPointer<DropboxFolder> self(this);
    ensureFolder([self, done](Result<void> ready) {
        if (!self)
            return;
        if (!ready) {
            done(Error{ready.error()});
            return;
        }
        auto listing = std::make_shared<Listing>(Listing{{}, done});
        self->listPage(listing, QStringLiteral("files/list_folder"),
                       {{QStringLiteral("path"), QLatin1Char('/') + folderName()},
                        {QStringLiteral("recursive"), false},
                        {QStringLiteral("limit"), 2000}});
    });
}

void DropboxFolder::listPage(std::shared_ptr<Listing> listing, const QString &route, const QJsonObject &argument)
{
    QPointer<DropboxFolder> self(this);
    rpc(route, argument, [self, listing](const CloudHttp::Reply &reply) {
        if (!self)
            return;
        if (!succeeded(reply)) {
            listing->done(Error{errorText(reply)});
            return;
        }
        const QJsonObject page = QJsonDocument::fromJson(reply.body).object();
        for (const QJsonValue &value : page.value(QStringLiteral("entries")).toArray()) {
            const QJsonObject entry = value.toObject();
            if (tagOf(entry) != QLatin1String("file"))
                continue;
            const QString name = entry.value(QStringLiteral("name")).toString();
            const qint64 size = qint64(entry.value(QStringLiteral("size")).toDouble(-1));
            DevLog::log(QStringLiteral("%1 %2 %3").arg(entry.value(QStringLiteral("path_display")).toString(), name).arg(size));
            listing->files.append({name, entry.value(QStringLiteral("path_display")).toString(),
                                   QDateTime::fromString(entry.value(QStringLiteral("server_modified")).toString(), Qt::ISODate), size});
        }
        if (page.value(QStringLiteral("has_more")).toBool())
            self->listPage(listing, QStringLiteral("files/list_folder/continue"), {{QStringLiteral("cursor"), page.value(QStringLiteral("cursor"))}});
        else
            listing->done(listing->files);
    });
}

void DropboxFolder::uploadFile(const QString &name, const QByteArray &data, Progress progress, Done done)
{
    QPointer<DropboxFolder> self(this);
    ensureFolder([self, name, data, progress, done](Result<void> ready) {
        if (!self)
            return;
        if (!ready) {
            done(ready);
            return;
        }
        if (data.size() > self->m_sessionThreshold) {
            self->sendSessionPiece(std::make_shared<Session>(Session{name, data, QString(), 0, progress, done}));
            return;
        }
        self->content(QStringLiteral("files/upload"), commitInfo(name), data, [done](const CloudHttp::Reply &reply) {
            done(succeeded(reply) ? Result<void>() : Result<void>(Error{errorText(reply)}));
        }, bytesProgress(progress));
    });
}

// One request of an upload session: the start with the first piece, the appends, and the
// finish with the last piece and the commit.
void DropboxFolder::sendSessionPiece(std::shared_ptr<Session> session)
{
    const qint64 total = session->content.size();
    const bool starting = session->id.isEmpty();
    const bool last = session->offset + m_chunk >= total;
    const QByteArray piece = session->content.mid(session->offset, m_chunk);
    const QJsonObject cursor{{QStringLiteral("session_id"), session->id}, {QStringLiteral("offset"), double(session->offset)}};
    QString route;
    QJsonObject argument;
    if (starting) {
        route = QStringLiteral("files/upload_session/start");
        argument = {{QStringLiteral("close"), false}};
    } else if (last) {
        route = QStringLiteral("files/upload_session/finish");
        argument = {{QStringLiteral("cursor"), cursor}, {QStringLiteral("commit"), commitInfo(session->name)}};
    } else {
        route = QStringLiteral("files/upload_session/append_v2");
        argument = {{QStringLiteral("cursor"), cursor}, {QStringLiteral("close"), false}};
    }
    QPointer<DropboxFolder> self(this);
    content(route, argument, piece, [self, session, starting, last, sent = piece.size()](const CloudHttp::Reply &reply) {
        if (!self)
            return;
        if (const qint64 offset = correctOffset(reply); offset >= 0 && offset <= session->content.size()) {
            // An answer was lost on the way: go on from where the service stands.
            DevLog::log(QStringLiteral("upload session resumes at %1").arg(offset));
            session->offset = offset;
            self->sendSessionPiece(session);
            return;
        }
        if (!succeeded(reply)) {
            session->done(Error{errorText(reply)});
            return;
        }
        if (starting)
            session->id = QJsonDocument::fromJson(reply.body).object().value(QStringLiteral("session_id")).toString();
        if (last && !starting) {
            session->done({});
            return;
        }
        session->offset += sent;
        self->sendSessionPiece(session);
    }, bytesProgress(session->progress, session->offset, total));
}

void DropboxFolder::downloadFile(const RemoteFile &file, Sink sink, Progress progress, Done done)
{
    content(QStringLiteral("files/download"), {{QStringLiteral("path"), pathOf(file.name)}}, QByteArray(),
            [done](const CloudHttp::Reply &reply) {
                done(succeeded(reply) ? Result<void>() : Result<void>(Error{errorText(reply)}));
            }, bytesProgress(progress), std::move(sink));
}

void DropboxFolder::removeFile(const RemoteFile &file, Done done)
{
    rpc(QStringLiteral("files/delete_v2"), {{QStringLiteral("path"), pathOf(file.name)}}, [done](const CloudHttp::Reply &reply) {
        done(succeeded(reply) ? Result<void>() : Result<void>(Error{errorText(reply)}));
    });
}
