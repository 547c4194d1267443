#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QTcpSocket>

#include <memory>
#include <optional>

// A plain TCP client for byte-exact HTTP tests against a server on this thread's event loop:
// every wait runs the event loop so the server can answer.
class RawHttp {
public:
    struct Response {
        int status = 0;
        QByteArray head;  // status line and fields, as received
        QList<QPair<QByteArray, QByteArray>> fields;
        QByteArray body;
        std::optional<QByteArray> field(QByteArrayView name) const;
    };

    explicit RawHttp(quint16 port);
    bool isConnected() const;
    void send(const QByteArray &bytes);
    // The next answer; none when the connection closed or nothing came within the wait. A
    // HEAD answer has no body whatever its Content-Length says.
    std::optional<Response> read(bool headOnly = false, int waitMs = 5000);
    // Whether the server closed the connection (within the wait).
    bool closedByServer(int waitMs = 5000);
    // Bytes the server sent that no answer has used.
    QByteArray pending();

private:
    std::unique_ptr<QTcpSocket> m_socket;
    QByteArray m_buffer;
};
