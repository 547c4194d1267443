#pragma once

#include "ByteRanges.h"
#include "HTTPResponse.h"
#include "HttpRequestParser.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QTimer>

#include <memory>
#include <optional>

class HTTPServer;
class QTcpSocket;

// One accepted socket of the HTTP server: reads requests one after the other (keep-alive),
// hands them to the overridable operations below and streams the answers, with byte ranges.
// Everything happens on the server's thread; nothing blocks.
class HTTPConnection : public QObject {
    Q_OBJECT
public:
    static constexpr qsizetype kBodyPieceBytes = 32768;     // request bodies are handed on in these
    static constexpr qsizetype kResponsePieceBytes = 131072; // answers are sent in these
    static constexpr std::chrono::milliseconds kWriteTimeout{30000};  // for heads and error answers

    // Takes the socket over.
    HTTPConnection(QTcpSocket *socket, HTTPServer *server);
    ~HTTPConnection() override;

    // Starts reading the first request (the server calls it once the connection is listed).
    void start();
    HTTPServer *server() const { return m_server; }

Q_SIGNALS:
    // The socket has gone (peer closed, error, time-out, or an answer that closes); emitted once.
    void died(HTTPConnection *connection);

protected:
    // Whether `method` is served for `path` (the target as received, query included).
    // Refused requests are answered 405 and the connection is closed. Base: GET and HEAD.
    virtual bool supportsMethod(const QString &method, const QString &path);
    // The answer to a whole request; none, or one of length 0, is answered 404. Base: the file
    // that filePathForURI() finds for the request's path.
    virtual std::unique_ptr<HTTPResponse> httpResponseForRequest(const HttpRequestHead &request);
    // A request body of `size` bytes follows; called once before its pieces.
    virtual void prepareForBodyWithSize(quint64 size);
    // One piece of the request body (at most kBodyPieceBytes), in order.
    virtual void processDataChunk(QByteArrayView data);

    // The file system path a request path names inside the document root, or none when there
    // is no root or the path would leave it. A path ending in "/" names its "index.html".
    std::optional<QString> filePathForURI(const QString &path) const;
    // "address:port" of this connection's own end (IPv4 addresses in their plain form).
    QString localAddressAndPort() const;
    // The body length the current request announced.
    quint64 requestContentLength() const { return m_requestContentLength; }

private:
    enum class Phase { ReadingHead, ReadingBody, Replying, Finishing, Closing, Dead };

    void beginRequest();
    void readInput();
    void readHead();
    void handleHead(HttpRequestHead head);
    void readBody();
    void reply();
    void sendError(int status, const QString &logLine, bool closeAfter);
    void writeHead(const QByteArray &head);
    void writeNextPiece();
    bool writeRangePiece();
    void writeBytes(const QByteArray &bytes);
    void bytesWritten();
    void finishWhenWritten();
    void finishResponse();
    void arm(std::chrono::milliseconds timeout);
    void die();

    QTcpSocket *m_socket;
    HTTPServer *m_server;
    Phase m_phase = Phase::ReadingHead;
    bool m_firstRequest = true;
    QByteArray m_buffer;             // bytes read and not yet used
    HttpRequestHead m_request;
    std::unique_ptr<HTTPResponse> m_httpResponse;
    QList<ByteRange> m_ranges;
    QList<QByteArray> m_rangesHeaders;
    QByteArray m_rangesBoundry;
    qsizetype m_rangeIndex = 0;     // next range to start
    quint64 m_leftInRange = 0;
    bool m_closingSent = false;
    quint64 m_requestContentLength = 0;
    quint64 m_requestContentLengthReceived = 0;
    QTimer m_deadline;
};
