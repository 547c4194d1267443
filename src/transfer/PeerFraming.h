#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

class QIODevice;

// Messages on a peer session's byte stream: a 4-byte big-endian length N (1 ≤ N ≤ 65536),
// then N bytes. Pure: the reader is fed whatever arrived and hands out whole messages.
namespace PeerFraming {

inline constexpr quint32 kMaxMessage = 65536;

// The length prefix and the message, ready to write.
QByteArray frame(QByteArrayView message);

class Reader {
public:
    enum class Next { Message, Incomplete, Bad };

    void append(QByteArrayView bytes);
    // What the device has, read straight into the buffer.
    void appendFrom(QIODevice &device);
    // The next whole message into `message`; Bad (for good: the stream cannot be trusted any
    // more) when a length is outside 1..65536.
    Next next(QByteArray &message);
    qsizetype buffered() const { return m_buffer.size() - m_offset; }

private:
    void dropHandedOut();
    QByteArray m_buffer;
    qsizetype m_offset = 0;
    bool m_bad = false;
};

// The first message of the connecting side: "VNPS", version 1, the session identifier in
// UTF-8, a zero byte, the display name in UTF-8.
inline constexpr char kSessionId[] = "gkvennaro";
QByteArray hello(const QString &displayName, const QByteArray &sessionId = kSessionId);
// The display name in a hello for this session; none for a wrong magic, version or session.
std::optional<QString> checkHello(QByteArrayView message);

// The listening side's answer: one byte, 1 accepted, 0 denied.
QByteArray answer(bool accepted);

} // namespace PeerFraming
