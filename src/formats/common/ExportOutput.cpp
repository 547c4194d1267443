#include "ExportOutput.h"

#include <QIODevice>

#include <cstring>

namespace {
constexpr qsizetype kBlockSize = 256 * 1024;
}

ExportOutput::ExportOutput(QIODevice &device) : m_device(device), m_buffer(kBlockSize, Qt::Uninitialized)
{
}

ExportOutput::~ExportOutput()
{
    flush();
}

void ExportOutput::append(const char *bytes, qsizetype n)
{
    // A piece is copied with no bookkeeping of a growing array: writers hand over hundreds of
    // thousands of a few bytes each.
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
    std::memcpy(m_buffer.data() + m_used, bytes, size_t(n));
    m_used += n;
}

ExportOutput &ExportOutput::operator<<(QByteArrayView bytes)
{
    append(bytes.data(), bytes.size());
    return *this;
}

ExportOutput &ExportOutput::operator<<(char c)
{
    append(&c, 1);
    return *this;
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
