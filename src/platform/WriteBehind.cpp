#include "WriteBehind.h"

#include <QFileDevice>

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
