#include "ExportOutput.h"

#include "platform/ByteAppend.h"

#include <QIODevice>

namespace {
constexpr qsizetype kBlockSize = 256 * 1024;
}

ExportOutput::ExportOutput(QIODevice &device) : m_device(device)
{
    m_buffer.reserve(kBlockSize + 4096);
}

ExportOutput::~ExportOutput()
{
    flush();
}

ExportOutput &ExportOutput::operator<<(QByteArrayView bytes)
{
    appendBytes(m_buffer, bytes);
    if (m_buffer.size() >= kBlockSize)
        flush();
    return *this;
}

ExportOutput &ExportOutput::operator<<(char c)
{
    m_buffer.append(c);
    return *this;
}

ExportOutput &ExportOutput::operator<<(int number)
{
    return *this << QByteArray::number(number);
}

bool ExportOutput::flush()
{
    if (!m_failed && !m_buffer.isEmpty())
        m_failed = m_device.write(m_buffer) != m_buffer.size();
    m_buffer.clear();
    return !m_failed;
}
