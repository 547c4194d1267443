#include "HTTPConnection.h"

#include "DocumentPaths.h"
#include "HTTPFileResponse.h"
#include "HTTPServer.h"
#include "platform/DevLog.h"

#include <QDateTime>
#include <QFileInfo>
#include <QLocale>
#include <QTcpSocket>
#include <QUuid>

namespace {

// Bytes the socket may hold unread; beyond them the peer waits (TCP back-pressure).
constexpr qint64 kReadBufferBytes = 256 * 1024;

QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 200: return "OK";
    case 206: return "Partial Content";
    case 400: return "Bad Request";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 505: return "HTTP Version Not Supported";
    }
    return "Unknown";
}

// The text changes once a second; formatting it for every answer showed in profiles.
QByteArray dateField()
{
    thread_local qint64 second = -1;
    thread_local QByteArray text;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    if (const qint64 current = now.toSecsSinceEpoch(); current != second) {
        second = current;
        text = QLocale::c().toString(now, QStringLiteral("ddd, dd MMM yyyy HH:mm:ss 'GMT'")).toLatin1();
    }
    return text;
}

// A response head: status line, the given fields, then "Date" and "Accept-Ranges", which
// every answer carries.
class ResponseHead {
public:
    explicit ResponseHead(int status) { m_bytes = "HTTP/1.1 " + QByteArray::number(status) + ' ' + reasonPhrase(status) + "\r\n"; }
    ResponseHead &add(QByteArrayView name, QByteArrayView value)
    {
        m_bytes.append(name).append(": ").append(value).append("\r\n");
        return *this;
    }
    QByteArray finish()
    {
        add("Date", dateField());
        add("Accept-Ranges", "bytes");
        return m_bytes + "\r\n";
    }

private:
    QByteArray m_bytes;
};

QByteArray rangeText(const ByteRange &range, quint64 fullLength)
{
    return "bytes " + QByteArray::number(range.start) + '-' + QByteArray::number(range.last()) + '/'
           + QByteArray::number(fullLength);
}

} // namespace

HTTPConnection::HTTPConnection(QTcpSocket *socket, HTTPServer *server) : m_socket(socket), m_server(server)
{
    m_socket->setParent(this);
    m_socket->setReadBufferSize(kReadBufferBytes);
    m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, &HTTPConnection::die);
    connect(m_socket, &QTcpSocket::readyRead, this, &HTTPConnection::readInput);
    connect(m_socket, &QTcpSocket::bytesWritten, this, &HTTPConnection::bytesWritten);
    connect(m_socket, &QTcpSocket::disconnected, this, &HTTPConnection::die);
    connect(m_socket, &QTcpSocket::errorOccurred, this, &HTTPConnection::die);
}

HTTPConnection::~HTTPConnection()
{
    disconnect(m_socket, nullptr, this, nullptr);
    m_socket->abort();
}

void HTTPConnection::start()
{
    if (m_socket->state() != QAbstractSocket::ConnectedState) {
        die();
        return;
    }
    beginRequest();
}

bool HTTPConnection::supportsMethod(const QString &method, const QString &)
{
    return method == QLatin1String("GET") || method == QLatin1String("HEAD");
}

std::unique_ptr<HTTPResponse> HTTPConnection::httpResponseForRequest(const HttpRequestHead &request)
{
    const std::optional<QString> path = filePathForURI(request.path());
    if (!path || !QFileInfo(*path).isFile())
        return nullptr;
    return std::make_unique<HTTPFileResponse>(*path);
}

void HTTPConnection::prepareForBodyWithSize(quint64)
{
}

void HTTPConnection::processDataChunk(QByteArrayView)
{
}

std::optional<QString> HTTPConnection::filePathForURI(const QString &path) const
{
    if (m_server->documentRoot().isEmpty())
        return std::nullopt;
    QString relative = path;
    while (relative.size() > 1 && relative.startsWith(QLatin1Char('/')))
        relative.remove(0, 1);
    if (relative.endsWith(QLatin1Char('/')))
        relative += QStringLiteral("index.html");
    return DocumentPaths::within(m_server->documentRoot(), relative);
}

QString HTTPConnection::localAddressAndPort() const
{
    QHostAddress address = m_socket->localAddress();
    bool isIPv4 = false;
    const quint32 ipv4 = address.toIPv4Address(&isIPv4);
    if (isIPv4)
        address = QHostAddress(ipv4);
    const QString text = address.protocol() == QAbstractSocket::IPv6Protocol
                             ? QLatin1Char('[') + address.toString() + QLatin1Char(']')
                             : address.toString();
    return text + QLatin1Char(':') + QString::number(m_socket->localPort());
}

// A new connection must send its first head within the head time-out; later, the connection
// may wait idle up to the idle time-out before the next request starts.
void HTTPConnection::beginRequest()
{
    m_phase = Phase::ReadingHead;
    m_request = HttpRequestHead();
    m_requestContentLength = m_requestContentLengthReceived = 0;
    arm(m_firstRequest || !m_buffer.isEmpty() ? m_server->headerTimeout() : m_server->idleTimeout());
    m_firstRequest = false;
    readInput();
}

void HTTPConnection::readInput()
{
    if (m_phase == Phase::ReadingHead) {
        const bool startsRequest = m_buffer.isEmpty();
        const QByteArray received = m_socket->readAll();
        if (received.isEmpty() && m_buffer.isEmpty())
            return;
        if (startsRequest)
            arm(m_server->headerTimeout());
        m_buffer.append(received);
        readHead();
    } else if (m_phase == Phase::ReadingBody) {
        arm(m_server->idleTimeout());
        readBody();
    }
}

void HTTPConnection::readHead()
{
    using HttpRequestParser::Outcome;
    HttpRequestParser::Parsed parsed = HttpRequestParser::parse(m_buffer);
    switch (parsed.outcome) {
    case Outcome::Incomplete:
        return;
    case Outcome::LineTooLong:
    case Outcome::TooManyLines:
        die();
        return;
    case Outcome::Malformed:
        sendError(400, QStringLiteral("HTTP Server: Error 400 - Bad Request"), true);
        return;
    case Outcome::Complete:
        m_buffer.remove(0, parsed.consumed);
        handleHead(std::move(parsed.head));
        return;
    }
}

void HTTPConnection::handleHead(HttpRequestHead head)
{
    m_request = std::move(head);
    const QString method = QString::fromLatin1(m_request.method);
    const bool takesBody = method == QLatin1String("POST") || method == QLatin1String("PUT");
    const HttpRequestParser::BodyLength length = HttpRequestParser::contentLength(m_request, &m_requestContentLength);
    if (takesBody ? length != HttpRequestParser::BodyLength::Valid : length != HttpRequestParser::BodyLength::None) {
        sendError(400, QStringLiteral("HTTP Server: Error 400 - Bad Request"), true);
        return;
    }
    if (!supportsMethod(method, QString::fromUtf8(m_request.target))) {
        sendError(405, QStringLiteral("HTTP Server: Error 405 - Method Not Allowed: %1").arg(method), true);
        return;
    }
    if (!takesBody) {
        reply();
        return;
    }
    prepareForBodyWithSize(m_requestContentLength);
    m_phase = Phase::ReadingBody;
    arm(m_server->idleTimeout());
    readBody();
}

void HTTPConnection::readBody()
{
    while (m_phase == Phase::ReadingBody && m_requestContentLengthReceived < m_requestContentLength) {
        const qsizetype wanted = qsizetype(std::min<quint64>(m_requestContentLength - m_requestContentLengthReceived, kBodyPieceBytes));
        QByteArray piece;
        if (!m_buffer.isEmpty()) {
            piece = m_buffer.left(wanted);
            m_buffer.remove(0, piece.size());
        } else {
            piece = m_socket->read(wanted);
        }
        if (piece.isEmpty())
            return;
        m_requestContentLengthReceived += quint64(piece.size());
        processDataChunk(piece);
    }
    if (m_phase == Phase::ReadingBody)
        reply();
}

void HTTPConnection::reply()
{
    m_phase = Phase::Replying;
    m_deadline.stop();
    if (m_request.version != "HTTP/1.1") {
        sendError(505, QStringLiteral("HTTP Server: Error 505 - Version Not Supported: %1").arg(QString::fromLatin1(m_request.version)), false);
        return;
    }
    m_httpResponse = httpResponseForRequest(m_request);
    const quint64 length = m_httpResponse ? m_httpResponse->contentLength() : 0;
    if (length == 0) {
        m_httpResponse.reset();
        sendError(404, QStringLiteral("HTTP Server: Error 404 - Not Found"), false);
        return;
    }
    if (const std::optional<QByteArray> field = m_request.field("Range")) {
        if (std::optional<QList<ByteRange>> ranges = ByteRanges::parse(*field, length))
            m_ranges = std::move(*ranges);
    }

    QByteArray head;
    if (m_ranges.size() > 1) {
        m_rangesBoundry = QUuid::createUuid().toString(QUuid::WithoutBraces).toLatin1();
        quint64 total = 0;
        for (const ByteRange &range : std::as_const(m_ranges)) {
            m_rangesHeaders.append("\r\n--" + m_rangesBoundry + "\r\nContent-Range: " + rangeText(range, length) + "\r\n\r\n");
            total += quint64(m_rangesHeaders.last().size()) + range.length;
        }
        total += quint64(("\r\n--" + m_rangesBoundry + "--\r\n").size());
        head = ResponseHead(206)
                   .add("Content-Length", QByteArray::number(total))
                   .add("Content-Type", "multipart/byteranges; boundary=" + m_rangesBoundry)
                   .finish();
    } else if (m_ranges.size() == 1) {
        head = ResponseHead(206)
                   .add("Content-Length", QByteArray::number(m_ranges.first().length))
                   .add("Content-Range", rangeText(m_ranges.first(), length))
                   .finish();
    } else {
        ResponseHead whole(200);
        whole.add("Content-Length", QByteArray::number(length));
        if (!m_httpResponse->contentDisposition().isEmpty())
            whole.add("Content-Disposition", m_httpResponse->contentDisposition().toUtf8());
        head = whole.finish();
    }
    if (m_request.method == "HEAD") {
        writeHead(head);
        finishWhenWritten();
    } else if (m_ranges.isEmpty()) {
        // The head and the first piece leave in one write: a small file is one packet.
        writeHead(head + m_httpResponse->readDataOfLength(kResponsePieceBytes));
    } else {
        writeHead(head);
        writeNextPiece();  // later pieces wait for the previous one
    }
}

void HTTPConnection::sendError(int status, const QString &logLine, bool closeAfter)
{
    DevLog::log(logLine);
    m_phase = closeAfter ? Phase::Closing : Phase::Finishing;
    writeHead(ResponseHead(status).add("Content-Length", "0").finish());
}

void HTTPConnection::writeHead(const QByteArray &head)
{
    arm(kWriteTimeout);
    m_socket->write(head);
}

void HTTPConnection::writeBytes(const QByteArray &bytes)
{
    m_socket->write(bytes);
}

void HTTPConnection::writeNextPiece()
{
    if (!m_ranges.isEmpty()) {
        if (writeRangePiece())
            return;
        finishWhenWritten();
        return;
    }
    const QByteArray piece = m_httpResponse->readDataOfLength(kResponsePieceBytes);
    if (!piece.isEmpty())
        writeBytes(piece);
    else if (m_httpResponse->offset() < m_httpResponse->contentLength())
        die();  // the file shrank: the promised length cannot be kept, and keep-alive would be out of step
    else
        finishWhenWritten();
}

// Writes the next piece of a range answer: range bytes, a part head, or the closing
// delimiter. False when everything has been written.
bool HTTPConnection::writeRangePiece()
{
    const bool multipart = m_ranges.size() > 1;
    if (m_leftInRange == 0) {
        if (m_rangeIndex < m_ranges.size()) {
            const ByteRange &range = m_ranges.at(m_rangeIndex);
            m_httpResponse->setOffset(range.start);
            m_leftInRange = range.length;
            if (multipart) {
                writeHead(m_rangesHeaders.at(m_rangeIndex++));
                return true;
            }
            ++m_rangeIndex;
        } else if (multipart && !m_closingSent) {
            m_closingSent = true;
            writeHead("\r\n--" + m_rangesBoundry + "--\r\n");
            return true;
        } else {
            return false;
        }
    }
    const QByteArray piece = m_httpResponse->readDataOfLength(qsizetype(std::min<quint64>(m_leftInRange, kResponsePieceBytes)));
    if (piece.isEmpty()) {
        // The file shrank: the promised length cannot be kept, so the answer ends here.
        die();
        return true;
    }
    m_leftInRange -= quint64(piece.size());
    writeBytes(piece);
    return true;
}

// While an answer streams, the next piece is queued as soon as less than one is waiting, so
// the socket never runs dry between pieces and at most two are held. Every bit of progress
// restarts the write time-out: a reader that stops reading is let go, a slow one is not.
void HTTPConnection::bytesWritten()
{
    const qint64 waiting = m_socket->bytesToWrite();
    if (m_phase == Phase::Replying && waiting < kResponsePieceBytes) {
        arm(kWriteTimeout);
        writeNextPiece();
        return;
    }
    if (waiting > 0) {
        arm(kWriteTimeout);
        return;
    }
    m_deadline.stop();
    switch (m_phase) {
    case Phase::Finishing: finishResponse(); break;
    case Phase::Closing: m_socket->disconnectFromHost(); break;
    default: break;
    }
}

void HTTPConnection::finishWhenWritten()
{
    m_phase = Phase::Finishing;
    if (m_socket->bytesToWrite() == 0)
        finishResponse();
}

void HTTPConnection::finishResponse()
{
    m_httpResponse.reset();
    m_ranges.clear();
    m_rangesHeaders.clear();
    m_rangesBoundry.clear();
    m_rangeIndex = 0;
    m_leftInRange = 0;
    m_closingSent = false;
    beginRequest();
}

void HTTPConnection::arm(std::chrono::milliseconds timeout)
{
    m_deadline.start(timeout);
}

void HTTPConnection::die()
{
    if (m_phase == Phase::Dead)
        return;
    m_phase = Phase::Dead;
    m_deadline.stop();
    m_socket->abort();
    Q_EMIT died(this);
}
