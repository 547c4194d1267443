#include "PeerFraming.h"

#include <QIODevice>
#include <QtEndian>

namespace PeerFraming {

namespace {
const QByteArrayView kMagic("VNPS");
const char kVersion = 1;
}

QByteArray frame(QByteArrayView message)
{
    QByteArray framed(4 + message.size(), Qt::Uninitialized);
    qToBigEndian<quint32>(quint32(message.size()), framed.data());
    memcpy(framed.data() + 4, message.data(), size_t(message.size()));
    return framed;
}

// Drops what was handed out before the buffer grows, so it never holds more than a message
// and whatever arrived behind it; an emptied buffer keeps its room for the next message.
void Reader::dropHandedOut()
{
    if (m_offset > 0 && m_offset == m_buffer.size()) {
        m_buffer.resize(0);
        m_offset = 0;
    } else if (m_offset > kMaxMessage) {
        m_buffer.remove(0, m_offset);
        m_offset = 0;
    }
}

void Reader::append(QByteArrayView bytes)
{
    dropHandedOut();
    m_buffer.append(bytes.data(), bytes.size());
}

void Reader::appendFrom(QIODevice &device)
{
    dropHandedOut();
    const qint64 available = device.bytesAvailable();
    if (available <= 0)
        return;
    const qsizetype before = m_buffer.size();
    m_buffer.resize(before + available);
    const qint64 read = device.read(m_buffer.data() + before, available);
    m_buffer.resize(before + qMax<qint64>(read, 0));
}

Reader::Next Reader::next(QByteArray &message)
{
    if (m_bad)
        return Next::Bad;
    if (buffered() < 4)
        return Next::Incomplete;
    const quint32 length = qFromBigEndian<quint32>(m_buffer.constData() + m_offset);
    if (length < 1 || length > kMaxMessage) {
        m_bad = true;
        return Next::Bad;
    }
    if (buffered() < 4 + qsizetype(length))
        return Next::Incomplete;
    message = m_buffer.mid(m_offset + 4, length);
    m_offset += 4 + length;
    return Next::Message;
}

QByteArray hello(const QString &displayName, const QByteArray &sessionId)
{
    QByteArray message = kMagic.toByteArray();
    message.append(kVersion);
    message.append(sessionId);
    message.append('\0');
    message.append(displayName.toUtf8());
    return message;
}

std::optional<QString> checkHello(QByteArrayView message)
{
    const QByteArrayView sessionId(kSessionId);
    const qsizetype nameStart = kMagic.size() + 1 + sessionId.size() + 1;
    if (message.size() < nameStart || !message.startsWith(kMagic) || message[kMagic.size()] != kVersion)
        return std::nullopt;
    if (message.sliced(kMagic.size() + 1, sessionId.size()) != sessionId || message[nameStart - 1] != '\0')
        return std::nullopt;
    return QString::fromUtf8(message.sliced(nameStart));
}

QByteArray answer(bool accepted)
{
    return QByteArray(1, accepted ? '\1' : '\0');
}

} // namespace PeerFraming
