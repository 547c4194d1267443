#include "WriteBehind.h"

#include <QFile>

#include <fcntl.h>

WriteBehind::WriteBehind(QIODevice &device) : m_file(qobject_cast<QFileDevice *>(&device))
{
}

void WriteBehind::advance()
{
    if (!m_file || m_file->handle() < 0)
        return;
    // What the device still buffers has not reached the file.
    const qint64 reached = m_file->pos() - m_file->bytesToWrite();
    if (reached - m_started < kStep)
        return;
    sync_file_range(m_file->handle(), m_started, reached - m_started, SYNC_FILE_RANGE_WRITE);
    m_started = reached;
}

void WriteBehind::startAll(const QString &path)
{
    // The pages to write out are the file's, whichever descriptor wrote them.
    QFile file(path);
    if (file.open(QIODevice::ReadOnly))
        sync_file_range(file.handle(), 0, 0, SYNC_FILE_RANGE_WRITE);
}
