#include "DriveStandIn.h"

#include "OAuthStandIn.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace {
constexpr qint64 kPiece = 256 * 1024;

QJsonObject parsed(const QByteArray &body)
{
    return QJsonDocument::fromJson(body).object();
}

QStringList strings(const QJsonValue &array)
{
    QStringList list;
    for (const QJsonValue &value : array.toArray())
        list.append(value.toString());
    return list;
}
}

DriveStandIn::DriveStandIn(OAuthStandIn *auth, QObject *parent) : HttpStandIn(parent), m_auth(auth) {}

QString DriveStandIn::addFile(const File &file)
{
    const QString id = QStringLiteral("f%1").arg(++m_serial);
    File stored = file;
    if (!stored.modified.isValid())
        stored.modified = QDateTime::currentDateTimeUtc();
    files.insert(id, stored);
    return id;
}

QString DriveStandIn::idOf(const QString &name) const
{
    for (auto it = files.begin(); it != files.end(); ++it) {
        if (it->name == name)
            return it.key();
    }
    return QString();
}

HttpStandIn::Response DriveStandIn::error(int status, const QString &reason, const QString &message)
{
    const QJsonObject detail{{QStringLiteral("domain"), QStringLiteral("global")}, {QStringLiteral("reason"), reason}, {QStringLiteral("message"), message}};
    return json(status, QJsonDocument(QJsonObject{{QStringLiteral("error"), QJsonObject{{QStringLiteral("code"), status},
                                                                                          {QStringLiteral("message"), message},
                                                                                          {QStringLiteral("errors"), QJsonArray{detail}}}}})
                            .toJson());
}

QJsonObject DriveStandIn::resource(const QString &id) const
{
    const File &file = files[id];
    QJsonObject object{{QStringLiteral("kind"), QStringLiteral("drive#file")}, {QStringLiteral("id"), id},
                       {QStringLiteral("name"), file.name}, {QStringLiteral("mimeType"), file.mimeType},
                       {QStringLiteral("modifiedTime"), file.modified.toString(Qt::ISODateWithMs)}};
    if (file.mimeType != QLatin1String("application/vnd.google-apps.folder"))
        object.insert(QStringLiteral("size"), QString::number(file.content.size()));
    return object;
}

HttpStandIn::Response DriveStandIn::handle(const Request &request)
{
    if (!m_auth->isValidAccessToken(request.bearer()))
        return error(401, QStringLiteral("authError"), QStringLiteral("Invalid Credentials"));
    if (rateLimitNext > 0) {
        --rateLimitNext;
        return error(403, QStringLiteral("userRateLimitExceeded"), QStringLiteral("User rate limit exceeded"));
    }
    const QString path = request.target.path();
    if (path.startsWith(QLatin1String("/upload/session/")) && request.method == "PUT")
        return resumablePiece(path.mid(16), request);
    if (path == QLatin1String("/upload/drive/v3/files") && request.method == "POST") {
        const QString type = request.query("uploadType");
        if (type == QLatin1String("multipart"))
            return multipart(request);
        if (type == QLatin1String("resumable"))
            return startResumable(request);
        return error(400, QStringLiteral("invalid"), QStringLiteral("Invalid uploadType"));
    }
    if (path == QLatin1String("/drive/v3/files")) {
        if (request.method == "GET")
            return list(request);
        if (request.method == "POST")
            return create(request);
    }
    static const QRegularExpression one(QStringLiteral("^/drive/v3/files/([^/]+)$"));
    const QRegularExpressionMatch match = one.match(path);
    if (match.hasMatch()) {
        const QString id = match.captured(1);
        if (!files.contains(id))
            return error(404, QStringLiteral("notFound"), QStringLiteral("File not found: %1.").arg(id));
        if (request.method == "DELETE") {
            files.remove(id);
            return {204, {}, {}};
        }
        if (request.method == "GET" && request.query("alt") == QLatin1String("media"))
            return {200, {{"Content-Type", files[id].mimeType.toUtf8()}}, files[id].content};
        if (request.method == "GET")
            return json(200, QJsonDocument(resource(id)).toJson());
    }
    return error(404, QStringLiteral("notFound"), QStringLiteral("Not Found"));
}

bool DriveStandIn::matches(const File &file, const QString &query) const
{
    static const QRegularExpression clause(QStringLiteral(R"(^(?:(name|mimeType)\s*=\s*'((?:[^'\\]|\\.)*)'|'((?:[^'\\]|\\.)*)'\s+in\s+parents|trashed\s*=\s*(true|false))$)"));
    for (const QString &part : query.split(QStringLiteral(" and "))) {
        const QRegularExpressionMatch m = clause.match(part.trimmed());
        if (!m.hasMatch())
            return false;
        auto unescaped = [](QString text) { return text.replace(QStringLiteral("\\'"), QStringLiteral("'")).replace(QStringLiteral("\\\\"), QStringLiteral("\\")); };
        if (m.captured(1) == QLatin1String("name") && file.name != unescaped(m.captured(2)))
            return false;
        if (m.captured(1) == QLatin1String("mimeType") && file.mimeType != unescaped(m.captured(2)))
            return false;
        if (m.capturedLength(3) && !file.parents.contains(unescaped(m.captured(3))))
            return false;
        if (m.capturedLength(4) && file.trashed != (m.captured(4) == QLatin1String("true")))
            return false;
    }
    return true;
}

HttpStandIn::Response DriveStandIn::list(const Request &request)
{
    // Without fields the service leaves out sizes and dates.
    if (request.query("fields").isEmpty() || !request.query("fields").contains(QLatin1String("files(")))
        return error(400, QStringLiteral("invalidParameter"), QStringLiteral("fields required by this stand-in"));
    const QString q = request.query("q");
    static const QRegularExpression clause(QStringLiteral(R"(^(?:(?:name|mimeType)\s*=\s*'(?:[^'\\]|\\.)*'|'(?:[^'\\]|\\.)*'\s+in\s+parents|trashed\s*=\s*(?:true|false))$)"));
    for (const QString &part : q.split(QStringLiteral(" and "))) {
        if (!clause.match(part.trimmed()).hasMatch())
            return error(400, QStringLiteral("invalid"), QStringLiteral("Invalid Value"));
    }
    const int size = std::min(pageSize, std::max(1, request.query("pageSize").isEmpty() ? 100 : request.query("pageSize").toInt()));
    const int from = request.query("pageToken").toInt();
    QJsonArray page;
    int index = 0;
    bool more = false;
    for (auto it = files.begin(); it != files.end(); ++it) {
        if (!matches(*it, q) || index++ < from)
            continue;
        if (page.size() == size) {
            more = true;
            break;
        }
        page.append(resource(it.key()));
    }
    QJsonObject answer{{QStringLiteral("files"), page}};
    if (more)
        answer.insert(QStringLiteral("nextPageToken"), QString::number(from + page.size()));
    return json(200, QJsonDocument(answer).toJson());
}

HttpStandIn::Response DriveStandIn::create(const Request &request)
{
    if (!request.header("content-type").startsWith("application/json"))
        return error(400, QStringLiteral("badContent"), QStringLiteral("Media type not supported"));
    const QJsonObject metadata = parsed(request.body);
    const QString id = addFile({metadata.value(QStringLiteral("name")).toString(), metadata.value(QStringLiteral("mimeType")).toString(),
                                strings(metadata.value(QStringLiteral("parents"))), {}, false, {}});
    return json(200, QJsonDocument(resource(id)).toJson());
}

HttpStandIn::Response DriveStandIn::multipart(const Request &request)
{
    const QByteArray type = request.header("content-type");
    const qsizetype at = type.indexOf("boundary=");
    if (!type.startsWith("multipart/related") || at < 0)
        return error(400, QStringLiteral("badContent"), QStringLiteral("multipart/related with a boundary required"));
    const QByteArray boundary = "--" + type.mid(at + 9).trimmed();
    QList<QByteArray> parts;
    // Split on the boundary lines: preamble, part 1, part 2, closing "--".
    qsizetype from = request.body.indexOf(boundary);
    while (from >= 0) {
        const qsizetype next = request.body.indexOf("\r\n" + boundary, from + boundary.size());
        if (next < 0)
            break;
        parts.append(request.body.mid(from + boundary.size() + 2, next - from - boundary.size() - 2));
        from = next + 2;
    }
    if (parts.size() != 2 || !request.body.trimmed().endsWith(boundary + "--"))
        return error(400, QStringLiteral("badContent"), QStringLiteral("Malformed multipart body."));
    auto split = [](const QByteArray &part, QByteArray *headers) {
        const qsizetype end = part.indexOf("\r\n\r\n");
        *headers = part.left(end).toLower();
        return part.mid(end + 4);
    };
    QByteArray metaHeaders, mediaHeaders;
    const QJsonObject metadata = parsed(split(parts[0], &metaHeaders));
    const QByteArray media = split(parts[1], &mediaHeaders);
    if (!metaHeaders.contains("content-type: application/json"))
        return error(400, QStringLiteral("badContent"), QStringLiteral("Metadata part must be JSON."));
    const qsizetype typeAt = mediaHeaders.indexOf("content-type: ");
    const QString mimeType = typeAt < 0 ? QString() : QString::fromLatin1(mediaHeaders.mid(typeAt + 14).split('\r').first().trimmed());
    const QString id = addFile({metadata.value(QStringLiteral("name")).toString(), mimeType, strings(metadata.value(QStringLiteral("parents"))), media, false, {}});
    return json(200, QJsonDocument(resource(id)).toJson());
}

HttpStandIn::Response DriveStandIn::startResumable(const Request &request)
{
    const QJsonObject metadata = parsed(request.body);
    const QString session = QString::number(++m_serial);
    Session started;
    started.file = {metadata.value(QStringLiteral("name")).toString(), QString::fromLatin1(request.header("x-upload-content-type")),
                    strings(metadata.value(QStringLiteral("parents"))), {}, false, {}};
    started.total = request.header("x-upload-content-length").toLongLong();
    m_sessions.insert(session, started);
    return {200, {{"Location", url().toEncoded() + "/upload/session/" + session.toLatin1()}}, {}};
}

HttpStandIn::Response DriveStandIn::resumablePiece(const QString &id, const Request &request)
{
    if (!m_sessions.contains(id))
        return error(404, QStringLiteral("notFound"), QStringLiteral("Upload session not found"));
    Session &session = m_sessions[id];
    static const QRegularExpression range(QStringLiteral(R"(^bytes (\d+)-(\d+)/(\d+)$)"));
    const QRegularExpressionMatch m = range.match(QString::fromLatin1(request.header("content-range")));
    const qint64 received = session.file.content.size();
    auto incomplete = [&session] {
        Response answer{308, {}, {}};
        if (!session.file.content.isEmpty())
            answer.headers.append({"Range", "bytes=0-" + QByteArray::number(session.file.content.size() - 1)});
        return answer;
    };
    if (!m.hasMatch() || m.captured(3).toLongLong() != session.total || m.captured(1).toLongLong() != received
        || m.captured(2).toLongLong() - m.captured(1).toLongLong() + 1 != request.body.size())
        return incomplete();
    const bool last = received + request.body.size() == session.total;
    if (!last && request.body.size() % kPiece != 0)
        return error(400, QStringLiteral("badRequest"), QStringLiteral("Pieces must be multiples of 256 KiB"));
    session.file.content += request.body;
    if (!last)
        return incomplete();
    const QString fileId = addFile(m_sessions.take(id).file);
    return json(200, QJsonDocument(resource(fileId)).toJson());
}
