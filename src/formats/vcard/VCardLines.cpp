#include "VCardLines.h"

#include <algorithm>
#include <cstring>

namespace {

bool endsWithSingleBackslash(QByteArrayView line)
{
    const qsizetype n = line.size();
    return n > 0 && line[n - 1] == '\\' && (n == 1 || line[n - 2] != '\\');
}

// vCard 2.1 writers break long quoted-printable values with "=" at the end of a line and go on
// at the start of the next line, without the blank that folding needs.
bool isQuotedPrintableSoftBreak(QByteArrayView line)
{
    if (!line.endsWith('='))
        return false;
    const qsizetype colon = line.indexOf(':');
    return colon > 0 && line.first(colon).toByteArray().toUpper().contains("QUOTED-PRINTABLE");
}

} // namespace

std::optional<VCardLines::MarkerCounts> VCardLines::countMarkers(QByteArrayView text, qsizetype maxCards)
{
    // Markers count at the start of a line only, in any letter case ("begin:vcard" of some
    // mail programs), so that a value holding "end:" does not unbalance the count.
    MarkerCounts counts;
    qsizetype at = 0;
    const qsizetype size = text.size();
    auto startsWith = [&](QByteArrayView marker) {
        return text.sliced(at, qMin(marker.size(), size - at)).compare(marker, Qt::CaseInsensitive) == 0;
    };
    while (at < size) {
        // Most lines are told apart by their first byte, without a case-blind compare: an ASCII
        // letter and its other case differ in bit 0x20 alone.
        const char first = char(text[at] | 0x20);
        if (first == 'b' && startsWith("BEGIN:") && ++counts.begins >= maxCards)
            return std::nullopt;
        if (first == 'e' && startsWith("END:") && ++counts.ends >= maxCards)
            return std::nullopt;
        const qsizetype end = text.indexOf('\n', at);
        if (end < 0)
            break;
        at = end + 1;
    }
    return counts;
}

void VCardLines::dropCarriageReturns(QByteArray &text)
{
    char *chars = text.data();
    const qsizetype size = text.size();
    const void *first = std::memchr(chars, '\r', size_t(size));
    if (!first)
        return;
    qsizetype write = static_cast<const char *>(first) - chars;
    for (qsizetype read = write + 1; read < size;) {
        const void *next = std::memchr(chars + read, '\r', size_t(size - read));
        const qsizetype end = next ? static_cast<const char *>(next) - chars : size;
        std::memmove(chars + write, chars + read, size_t(end - read));
        write += end - read;
        read = end + 1;
    }
    text.truncate(write);
}

std::optional<VCardLines::LineTable> VCardLines::logicalLines(QByteArray text, qsizetype maxBytes)
{
    // Every logical line is as long as its physical lines or shorter, so the lines are written
    // over the text from its start: `write` never passes `read`.
    char *chars = text.data();
    const qsizetype size = text.size();
    qsizetype read = 0;
    qsizetype write = 0;
    // The physical lines: each up to the next LF; the text after the last LF is one too.
    auto nextPhysical = [&](qsizetype &from, qsizetype &to) {
        from = read;
        const qsizetype lf = text.indexOf('\n', read);
        to = lf < 0 ? size : lf;
        read = to + 1;
    };
    // Copies [from, to) to `write`, "\," as "," when `unescapeCommas`: the text up to each "\,"
    // moves in one go (most lines have none).
    auto copy = [&](qsizetype from, qsizetype to, bool unescapeCommas) {
        while (from < to) {
            qsizetype run = to;
            for (qsizetype at = from; unescapeCommas && at < to; ++at) {
                const void *backslash = std::memchr(chars + at, '\\', size_t(to - at));
                if (!backslash)
                    break;
                at = static_cast<const char *>(backslash) - chars;
                if (at + 1 < to && chars[at + 1] == ',') {
                    run = at;
                    break;
                }
            }
            std::memmove(chars + write, chars + from, size_t(run - from));
            write += run - from;
            from = run;
            if (run < to) {
                chars[write++] = ',';
                from += 2;
            }
        }
    };
    LineTable table;
    // There are no more logical lines than physical ones: the table is made once, not grown and
    // copied again and again (a sixth of the time of a large file's unfolding).
    table.m_ends.reserve(std::count(chars, chars + size, '\n') + 1);
    qsizetype lineStart = 0;
    bool haveLine = false;
    while (read <= size) {
        qsizetype from = 0, to = 0;
        nextPhysical(from, to);
        if (from == to)
            continue;
        const QByteArrayView current(chars + lineStart, write - lineStart);
        const bool folded = chars[from] == ' ' || chars[from] == '\t';
        if (haveLine && folded) {
            if (current.endsWith('='))
                --write;
            copy(from + 1, to, true);
        } else if (haveLine && isQuotedPrintableSoftBreak(current)) {
            --write;
            copy(from, to, true);
        } else {
            if (haveLine)
                table.m_ends.append(write);
            lineStart = write;
            haveLine = true;
            copy(from, to, true);
        }
        while (endsWithSingleBackslash(QByteArrayView(chars + lineStart, write - lineStart)) && read <= size) {
            chars[write - 1] = '\n';
            nextPhysical(from, to);
            copy(from, to, false);
        }
        if (write - lineStart > maxBytes)
            return std::nullopt;
    }
    if (haveLine)
        table.m_ends.append(write);
    text.truncate(write);
    table.m_text = std::move(text);
    return table;
}

QStringList VCardLines::splitValue(const QString &value, bool split)
{
    QStringList components;
    QString current;
    const QChar *data = value.constData();
    const qsizetype n = value.size();
    qsizetype run = 0; // where the plain characters not yet copied begin
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = data[i];
        const bool escape = c == QLatin1Char('\\') && i + 1 < n;
        if (!escape && !(c == QLatin1Char(';') && split))
            continue;
        // Plain characters are copied a run at a time, not one by one.
        current.append(QStringView(data + run, i - run));
        if (escape) {
            const QChar next = data[++i];
            if (next == QLatin1Char('n') || next == QLatin1Char('N'))
                current += QLatin1Char('\n');
            else if (next == QLatin1Char('\\') || next == QLatin1Char(',') || next == QLatin1Char(';') || next == QLatin1Char(':'))
                current += next;
            else
                current.append(c).append(next);
        } else {
            components.append(current);
            current.clear();
        }
        run = i + 1;
    }
    // A value without escapes or separators is kept as it is, shared.
    if (run == 0 && n > 0)
        return {value};
    current.append(QStringView(data + run, n - run));
    components.append(current);
    return components;
}
