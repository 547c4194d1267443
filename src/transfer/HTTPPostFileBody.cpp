#include "HTTPPostFileBody.h"

#include <QFileInfo>

#include <cstring>

HTTPPostFileBody::HTTPPostFileBody(const QString &filePath, QObject *parent)
    : QIODevice(parent), m_file(filePath), m_head(head(QFileInfo(filePath).fileName())), m_tail(tail())
{
}

QByteArray HTTPPostFileBody::head(const QString &fileName)
{
    const QByteArray boundary(kBoundary);
    return "--" + boundary + "\r\n" + "Content-Disposition: form-data; name=\"currentpath\";\r\n\r\n" + "./\r\n" + "--"
           + boundary + "\r\n" + "Content-Disposition: form-data; name=\"file\"; filename=\"" + fileName.toUtf8()
           + "\"\r\n\r\n";
}

QByteArray HTTPPostFileBody::tail()
{
    return "\r\n--" + QByteArray(kBoundary) + "--\r\n";
}

bool HTTPPostFileBody::openFile()
{
    if (!QFileInfo(m_file.fileName()).isFile() || !m_file.open(QIODevice::ReadOnly))
        return false;
    m_fileSize = m_file.size();
    m_position = 0;
    return open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

qint64 HTTPPostFileBody::size() const
{
    return m_head.size() + m_fileSize + m_tail.size();
}

bool HTTPPostFileBody::seek(qint64 position)
{
    if (position < 0 || position > size())
        return false;
    m_position = position;
    return QIODevice::seek(position);
}

qint64 HTTPPostFileBody::readData(char *data, qint64 maxSize)
{
    qint64 done = 0;
    const qint64 fileEnd = m_head.size() + m_fileSize;
    while (done < maxSize && m_position < size()) {
        qint64 count = 0;
        if (m_position < m_head.size()) {
            count = std::min(maxSize - done, qint64(m_head.size()) - m_position);
            std::memcpy(data + done, m_head.constData() + m_position, size_t(count));
        } else if (m_position < fileEnd) {
            if (!m_file.seek(m_position - m_head.size()))
                return done > 0 ? done : -1;
            count = m_file.read(data + done, std::min(maxSize - done, fileEnd - m_position));
            // The file shrank or failed under us: the body can no longer be what was announced.
            if (count <= 0) {
                setErrorString(m_file.errorString());
                return done > 0 ? done : -1;
            }
        } else {
            count = std::min(maxSize - done, size() - m_position);
            std::memcpy(data + done, m_tail.constData() + (m_position - fileEnd), size_t(count));
        }
        done += count;
        m_position += count;
    }
    return done;
}
