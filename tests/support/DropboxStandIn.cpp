#include "DropboxStandIn.h"

#include "OAuthStandIn.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {
QString parentOf(const QString &path)
{
    return path.left(path.lastIndexOf(QLatin1Char('/'))).toLower();
}

QJsonObject tagged(const char *tag)
{
    return {{QStringLiteral(".tag"), QString::fromLatin1(tag)}};
}

QByteArray encoded(const QJsonObject &object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}
}

DropboxStandIn::DropboxStandIn(OAuthStandIn *auth, QObject *parent) : HttpStandIn(parent), m_auth(auth) {}

void DropboxStandIn::putFile(const QString &path, const QByteArray &content)
{
    entries.insert(path.toLower(), {path, false, content, QDateTime::currentDateTimeUtc()});
}

void DropboxStandIn::putFolder(const QString &path)
{
    entries.insert(path.toLower(), {path, true, {}, {}});
}

QJsonObject DropboxStandIn::metadata(const Entry &entry) const
{
    QJsonObject object{{QStringLiteral(".tag"), entry.folder ? QStringLiteral("folder") : QStringLiteral("file")},
                       {QStringLiteral("name"), entry.path.mid(entry.path.lastIndexOf(QLatin1Char('/')) + 1)},
                       {QStringLiteral("path_lower"), entry.path.toLower()},
                       {QStringLiteral("path_display"), entry.path},
                       {QStringLiteral("id"), QStringLiteral("id:") + entry.path.toLower()}};
    if (!entry.folder) {
        object.insert(QStringLiteral("size"), double(entry.content.size()));
        object.insert(QStringLiteral("server_modified"), entry.modified.toString(Qt::ISODate));
        object.insert(QStringLiteral("client_modified"), entry.modified.toString(Qt::ISODate));
        object.insert(QStringLiteral("rev"), QStringLiteral("015f0000000001"));
    }
    return object;
}

HttpStandIn::Response DropboxStandIn::conflict(const QByteArray &summary, const QJsonObject &error)
{
    return json(409, encoded({{QStringLiteral("error_summary"), QString::fromLatin1(summary)}, {QStringLiteral("error"), error}}));
}

HttpStandIn::Response DropboxStandIn::handle(const Request &request)
{
    if (!m_auth->isValidAccessToken(request.bearer()))
        return json(401, R"({"error_summary":"expired_access_token/..","error":{".tag":"expired_access_token"}})");
    if (m_limited > 0) {
        --m_limited;
        return {429, {{"Content-Type", "application/json"}, {"Retry-After", QByteArray::number(m_retryAfter)}},
                R"({"error_summary":"too_many_write_operations/..","error":{"reason":{".tag":"too_many_write_operations"},"retry_after":)"
                    + QByteArray::number(m_retryAfter) + "}}"};
    }
    if (request.method != "POST")
        return text(400, "Error in call to API function: expected POST");
    const QString route = request.target.path().mid(3); // after "/2/"
    const QByteArray arg = request.header("dropbox-api-arg");
    if (!arg.isEmpty()) {
        // Header text must be plain ASCII: everything else travels as \uXXXX.
        if (std::any_of(arg.begin(), arg.end(), [](char c) { return uchar(c) >= 0x7f; }))
            return text(400, "Error in call to API function: Dropbox-API-Arg is not HTTP header safe");
        QJsonParseError error;
        const QJsonDocument parsed = QJsonDocument::fromJson(arg, &error);
        if (error.error != QJsonParseError::NoError || !parsed.isObject())
            return text(400, "Error in call to API function: could not decode Dropbox-API-Arg");
        return contentRoute(route, request, parsed.object());
    }
    if (request.header("content-type") != "application/json")
        return text(400, "Error in call to API function: Bad HTTP \"Content-Type\" header");
    return rpc(route, QJsonDocument::fromJson(request.body).object());
}

HttpStandIn::Response DropboxStandIn::rpc(const QString &route, const QJsonObject &argument)
{
    const QString path = argument.value(QStringLiteral("path")).toString();
    if (route == QLatin1String("files/create_folder_v2")) {
        if (has(path)) {
            QJsonObject conflictKind{{QStringLiteral(".tag"), QStringLiteral("conflict")},
                                     {QStringLiteral("conflict"), tagged(entries.value(path.toLower()).folder ? "folder" : "file")}};
            return conflict("path/conflict/folder/..", {{QStringLiteral(".tag"), QStringLiteral("path")}, {QStringLiteral("path"), conflictKind}});
        }
        putFolder(path);
        return json(200, encoded({{QStringLiteral("metadata"), metadata(entries.value(path.toLower()))}}));
    }
    if (route == QLatin1String("files/list_folder")) {
        if (!has(path) || !entries.value(path.toLower()).folder)
            return conflict("path/not_found/..", {{QStringLiteral(".tag"), QStringLiteral("path")}, {QStringLiteral("path"), tagged("not_found")}});
        return listPage(path.toLower(), 0);
    }
    if (route == QLatin1String("files/list_folder/continue")) {
        const QStringList cursor = argument.value(QStringLiteral("cursor")).toString().split(QLatin1Char('|'));
        if (cursor.size() != 2)
            return conflict("reset/..", tagged("reset"));
        return listPage(cursor[0], cursor[1].toInt());
    }
    if (route == QLatin1String("files/delete_v2")) {
        if (!has(path) || path.isEmpty())
            return conflict("path_lookup/not_found/..", {{QStringLiteral(".tag"), QStringLiteral("path_lookup")}, {QStringLiteral("path_lookup"), tagged("not_found")}});
        const Entry removed = entries.take(path.toLower());
        return json(200, encoded({{QStringLiteral("metadata"), metadata(removed)}}));
    }
    return text(400, "Unknown API function");
}

HttpStandIn::Response DropboxStandIn::listPage(const QString &folder, int from)
{
    QJsonArray page;
    int index = 0;
    bool more = false;
    for (const Entry &entry : std::as_const(entries)) {
        if (parentOf(entry.path) != folder)
            continue;
        if (index++ < from)
            continue;
        if (page.size() == pageSize) {
            more = true;
            break;
        }
        page.append(metadata(entry));
    }
    return json(200, encoded({{QStringLiteral("entries"), page},
                              {QStringLiteral("cursor"), folder + QLatin1Char('|') + QString::number(from + page.size())},
                              {QStringLiteral("has_more"), more}}));
}

HttpStandIn::Response DropboxStandIn::contentRoute(const QString &route, const Request &request, const QJsonObject &argument)
{
    if (route == QLatin1String("files/download")) {
        if (!request.header("content-type").isEmpty() || !request.body.isEmpty())
            return text(400, "Error in call to API function: download takes no body and no Content-Type");
        const QString path = argument.value(QStringLiteral("path")).toString();
        if (!has(path) || entries.value(path.toLower()).folder)
            return conflict("path/not_found/..", {{QStringLiteral(".tag"), QStringLiteral("path")}, {QStringLiteral("path"), tagged("not_found")}});
        const Entry &entry = entries[path.toLower()];
        return {200, {{"Content-Type", "application/octet-stream"}, {"Dropbox-API-Result", encoded(metadata(entry))}}, entry.content};
    }
    if (request.header("content-type") != "application/octet-stream")
        return text(400, "Error in call to API function: Bad HTTP \"Content-Type\" header, expecting application/octet-stream");
    auto commit = [this](const QJsonObject &info, const QByteArray &content) {
        const QString path = info.value(QStringLiteral("path")).toString();
        if (info.value(QStringLiteral("mode")).toString() != QLatin1String("overwrite") && has(path))
            return conflict("path/conflict/file/..", tagged("path"));
        if (!has(parentOf(path)))
            putFolder(path.left(path.lastIndexOf(QLatin1Char('/'))));
        putFile(path, content);
        return json(200, encoded(metadata(entries.value(path.toLower()))));
    };
    if (route == QLatin1String("files/upload"))
        return commit(argument, request.body);
    if (route == QLatin1String("files/upload_session/start")) {
        const QString id = QStringLiteral("session-%1").arg(++m_serial);
        m_sessions.insert(id, request.body);
        return json(200, encoded({{QStringLiteral("session_id"), id}}));
    }
    const QJsonObject cursor = argument.value(QStringLiteral("cursor")).toObject();
    const QString id = cursor.value(QStringLiteral("session_id")).toString();
    if (!m_sessions.contains(id))
        return conflict("not_found/..", tagged("not_found"));
    QByteArray &received = m_sessions[id];
    const qint64 offset = qint64(cursor.value(QStringLiteral("offset")).toDouble());
    if (offset != received.size()) {
        QJsonObject wrongOffset{{QStringLiteral(".tag"), QStringLiteral("incorrect_offset")}, {QStringLiteral("correct_offset"), double(received.size())}};
        if (route == QLatin1String("files/upload_session/finish"))
            return conflict("lookup_failed/incorrect_offset/..", {{QStringLiteral(".tag"), QStringLiteral("lookup_failed")}, {QStringLiteral("lookup_failed"), wrongOffset}});
        return conflict("incorrect_offset/..", wrongOffset);
    }
    received += request.body;
    if (route == QLatin1String("files/upload_session/append_v2")) {
        if (std::exchange(loseNextAppendAnswer, false))
            return {429, {{"Retry-After", "0"}}, {}};
        return json(200, "null");
    }
    if (route == QLatin1String("files/upload_session/finish")) {
        const QByteArray content = m_sessions.take(id);
        return commit(argument.value(QStringLiteral("commit")).toObject(), content);
    }
    return text(400, "Unknown API function");
}
