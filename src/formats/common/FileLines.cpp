#include "FileLines.h"

#include "platform/LargePages.h"
#include "platform/ReadAt.h"
#include "platform/Threads.h"

#include <QFile>

#include <atomic>
#include <limits>

namespace {
std::atomic<qsizetype> g_maxLineBytes{FileLines::kDefaultMaxLineBytes};

// Files this large and larger are read in two halves at once.
constexpr qint64 kReadInHalves = qint64(4) << 20;
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
        // Read straight after what is left, into room the buffer keeps from block to block.
        const qsizetype kept = m_buffer.size();
        m_buffer.resize(kept + kBlock);
        const qint64 read = m_file.read(m_buffer.data() + kept, kBlock);
        m_buffer.truncate(kept + qsizetype(qMax<qint64>(read, 0)));
        m_atEnd = read <= 0;
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

// True when no line of the open file is longer than the cap. The file is read in blocks, not
// held, and left at its start.
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

std::optional<QByteArray> FileLines::readWhole(QFile &file)
{
    if (!fitWithinCap(file))
        return std::nullopt;
    const qint64 expected = file.isSequential() ? 0 : file.size() - file.pos();
    if (expected <= 0 || expected > std::numeric_limits<qsizetype>::max() / 2 || file.handle() < 0)
        return file.readAll();
    QByteArray bytes(qsizetype(expected), Qt::Uninitialized);
    LargePages::advise(bytes.data(), bytes.size());
    // A large file is read in two halves at once (reads at an offset leave the file's position
    // alone), which shares the cost of the fresh memory between two threads.
    const qint64 start = file.pos();
    const qint64 half = expected < kReadInHalves ? expected : expected / 2;
    qint64 got = 0;
    qint64 secondGot = 0;
    Threads::bothAtOnce([&] { got = readAt(file.handle(), bytes.data(), half, start); },
                        [&] { secondGot = readAt(file.handle(), bytes.data() + half, expected - half, start + half); });
    if (got == half)
        got += secondGot;
    bytes.truncate(qsizetype(got));
    file.seek(start + got);
    // A file that grew since its size was taken is read to its end, as readAll would.
    if (got == expected)
        bytes.append(file.readAll());
    return bytes;
}
