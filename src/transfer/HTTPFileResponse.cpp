#include "HTTPFileResponse.h"

HTTPFileResponse::HTTPFileResponse(const QString &filePath) : m_filePath(filePath), m_fileHandle(filePath)
{
    (void)m_fileHandle.open(QIODevice::ReadOnly);
}

quint64 HTTPFileResponse::contentLength() const
{
    return m_fileHandle.isOpen() ? quint64(m_fileHandle.size()) : 0;
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
    return m_fileHandle.isOpen() ? m_fileHandle.read(length) : QByteArray();
}
