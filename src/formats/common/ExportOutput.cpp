#include "ExportOutput.h"

#include <QIODevice>

#include <utility>

ExportOutput::ExportOutput(QIODevice &device)
    : m_device(&device), m_writeBehind(device), m_buffer(kBlockSize, Qt::Uninitialized), m_data(m_buffer.data())
{
}

ExportOutput::ExportOutput() : m_buffer(kBlockSize, Qt::Uninitialized), m_data(m_buffer.data())
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
            write(bytes, n);
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
    if (m_used > 0)
        write(m_buffer.constData(), m_used);
    m_used = 0;
    return !m_failed;
}

QByteArray ExportOutput::takeWritten(QByteArray reuse)
{
    flush();
    reuse.resize(0); // keeps its capacity
    return std::exchange(m_memory, std::move(reuse));
}

void ExportOutput::write(const char *bytes, qsizetype n)
{
    if (m_failed)
        return;
    if (!m_device) {
        m_memory.append(bytes, n);
        return;
    }
    m_failed = m_device->write(bytes, n) != n;
    m_writeBehind.advance();
}
