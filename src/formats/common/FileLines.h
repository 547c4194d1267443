#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

class QFile;

// Physical lines (line end included) of a file read in large blocks: a line is a view into the
// block, so reading allocates nothing per line. A line longer than a block grows it, up to the
// cap on one line: the memory a reader needs is then bounded by the cap, not by what a hostile
// file holds (a single line of 2 GB).
class FileLines {
public:
    // The cap on one line, physical or logical (folded lines joined), in bytes, its line end
    // (LF or CR LF) not counted. A vCard or LDIF photo written in base64 on one line fits up to
    // about 48 MB of picture.
    static constexpr qsizetype kDefaultMaxLineBytes = qsizetype(64) << 20;
    static qsizetype maxLineBytes();
    // Tests lower the cap so that they need no files of this size.
    static void setMaxLineBytes(qsizetype bytes);

    enum class Next { Line, End, TooLong };

    explicit FileLines(QFile &file) : m_file(file) {}

    // The next line in `line`; TooLong (and nothing more) once a line goes past the cap.
    Next next(QByteArrayView &line);

    // The whole of a file just opened, as QIODevice::readAll gives it, in a buffer that may be
    // backed by large pages (platform/LargePages.h); none when a line of it is longer than
    // the cap, which is found out in blocks before the file is held whole.
    static std::optional<QByteArray> readWhole(QFile &file);

private:
    static bool fitWithinCap(QFile &file);
    static qsizetype textLength(QByteArrayView line);

    static constexpr qint64 kBlock = 1 << 20;
    QFile &m_file;
    QByteArray m_buffer;
    qsizetype m_pos = 0;
    qsizetype m_scanned = 0;
    bool m_atEnd = false;
};
