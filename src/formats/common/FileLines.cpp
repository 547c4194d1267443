#include "FileLines.h"

#include <QFile>

#include <atomic>

namespace {
std::atomic<qsizetype> g_maxLineBytes{FileLines::kDefaultMaxLineBytes};
}

qsizetype FileLines::maxLineBytes()
{
    return g_maxLineBytes;
}

void FileLines::setMaxLineBytes(qsizetype bytes)
{
    g_maxLineBytes = bytes;
}

FileLines::Next FileLines::next(QByteArrayView &line)
{
    for (;;) {
        const qsizetype end = m_buffer.indexOf('\n', m_scanned);
        if (end >= 0 || m_atEnd) {
            if (end < 0 && m_pos >= m_buffer.size())
                return Next::End;
            line = QByteArrayView(m_buffer).sliced(m_pos, (end >= 0 ? end + 1 : m_buffer.size()) - m_pos);
            m_pos = m_scanned = m_pos + line.size();
            return textLength(line) > maxLineBytes() ? Next::TooLong : Next::Line;
        }
        // One more byte may be the CR of a CR LF still to come.
        if (m_buffer.size() - m_pos > maxLineBytes() + 1)
            return Next::TooLong;
        m_buffer.remove(0, m_pos);
        // What was searched holds no line end: only the new block needs a look, or a long
        // line would be searched again after every block.
        m_scanned = m_buffer.size();
        m_pos = 0;
        const QByteArray block = m_file.read(kBlock);
        m_atEnd = block.isEmpty();
        m_buffer.append(block);
    }
}

qsizetype FileLines::textLength(QByteArrayView line)
{
    if (line.endsWith('\n'))
        line.chop(1);
    if (line.endsWith('\r'))
        line.chop(1);
    return line.size();
}

bool FileLines::fitWithinCap(QFile &file)
{
    // A file no longer than the cap has no line longer than it: nothing to read.
    if (!file.isSequential() && file.size() - file.pos() <= maxLineBytes())
        return true;
    FileLines lines(file);
    QByteArrayView line;
    Next next = Next::Line;
    while ((next = lines.next(line)) == Next::Line) {
    }
    file.seek(0);
    return next == Next::End;
}
