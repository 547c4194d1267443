#include "ExportOutput.h"

#include <QIODevice>

ExportOutput::ExportOutput(QIODevice &device)
    : m_device(device), m_buffer(kBlockSize, Qt::Uninitialized), m_data(m_buffer.data())
{
}

ExportOutput::~ExportOutput()
{
    flush();
}

void ExportOutput::append(const char *bytes, qsizetype n)
{
    if (n <= 0)
        return;
    if (n > kBlockSize - m_used) {
        flush();
        if (n >= kBlockSize) {
            if (!m_failed)
                m_failed = m_device.write(bytes, n) != n;
            return;
        }
    }
    std::memcpy(m_data + m_used, bytes, size_t(n));
    m_used += n;
}

ExportOutput &ExportOutput::operator<<(int number)
{
    return *this << QByteArray::number(number);
}

bool ExportOutput::flush()
{
    if (!m_failed && m_used > 0)
        m_failed = m_device.write(m_buffer.constData(), m_used) != m_used;
    m_used = 0;
    return !m_failed;
}
