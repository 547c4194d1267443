#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// The lexical layer of the vCard reader: counting cards and unfolding physical lines.
namespace VCardLines {

struct MarkerCounts {
    qsizetype begins = 0;
    qsizetype ends = 0;
};
// Lines of `text` that begin with "BEGIN:" and with "END:" (any ASCII letter case), counted in
// one pass; none when there are `maxCards` or more of either.
std::optional<MarkerCounts> countMarkers(QByteArrayView text, qsizetype maxCards);

// Removes every CR of `text`, wherever it stands, moving the text between them a run at a time.
void dropCarriageReturns(QByteArray &text);

// Logical lines kept undecoded in one buffer: a large file costs its bytes and eight bytes a
// line, not a decoded copy and an allocation for every line. Every character that the
// unfolding looks at is ASCII, so UTF-8 and ISO 8859-1 text are unfolded alike.
class LineTable {
public:
    qsizetype size() const { return m_ends.size(); }
    QByteArrayView at(qsizetype i) const
    {
        const qsizetype start = i > 0 ? m_ends[i - 1] : 0;
        return QByteArrayView(m_text).sliced(start, m_ends[i] - start);
    }

private:
    friend std::optional<LineTable> logicalLines(QByteArray text, qsizetype maxBytes);
    QByteArray m_text;
    QList<qsizetype> m_ends;
};

// The logical lines of `text` (CR already removed): "\," becomes ",", empty lines are skipped,
// a line starting with a blank or TAB continues the previous one (dropping a trailing "=" of
// quoted-printable there, and its own first character), a quoted-printable line ending in "="
// goes on with the next line, and a line ending in one backslash takes the next line after an LF.
// None when a logical line grows past `maxBytes`. The lines are built in the text's own buffer.
std::optional<LineTable> logicalLines(QByteArray text, qsizetype maxBytes);

// A value split at its unescaped ";" (when `split` is set) with the vCard escapes undone in
// each component: "\n" and "\N" are line breaks, "\\", "\,", "\;" and "\:" the character
// itself. Other backslashes stay as they are.
QStringList splitValue(const QString &value, bool split);

}
