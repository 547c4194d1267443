#include "HTTPFileResponse.h"

#include <algorithm>

HTTPFileResponse::HTTPFileResponse(const QString &filePath) : m_filePath(filePath), m_fileHandle(filePath)
{
    // Unbuffered: each piece is one read straight into the answer's bytes.
    if (m_fileHandle.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        m_length = m_fileHandle.size();
}

quint64 HTTPFileResponse::contentLength() const
{
    return quint64(m_length);
}

quint64 HTTPFileResponse::offset() const
{
    return quint64(m_fileHandle.pos());
}

void HTTPFileResponse::setOffset(quint64 offset)
{
    m_fileHandle.seek(qint64(offset));
}

QByteArray HTTPFileResponse::readDataOfLength(qsizetype length)
{
    if (!m_fileHandle.isOpen())
        return QByteArray();
    // Asking for no more than is left keeps a small file's answer from a piece-sized buffer.
    const qint64 left = std::max<qint64>(m_length - m_fileHandle.pos(), 0);
    return m_fileHandle.read(std::min<qint64>(length, left));
}
