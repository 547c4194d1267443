#include "VCardLines.h"

namespace {

bool endsWithSingleBackslash(const QString &line)
{
    const qsizetype n = line.size();
    return n > 0 && line[n - 1] == QLatin1Char('\\') && (n == 1 || line[n - 2] != QLatin1Char('\\'));
}

// vCard 2.1 writers break long quoted-printable values with "=" at the end of a line and go on
// at the start of the next line, without the blank that folding needs.
bool isQuotedPrintableSoftBreak(const QString &line)
{
    if (!line.endsWith(QLatin1Char('=')))
        return false;
    const qsizetype colon = line.indexOf(QLatin1Char(':'));
    return colon > 0 && QStringView(line).left(colon).contains(QLatin1String("QUOTED-PRINTABLE"), Qt::CaseInsensitive);
}

} // namespace

qsizetype VCardLines::countMarkers(const QString &text, const QString &marker, qsizetype maxCards)
{
    // Markers count at the start of a line only, in any letter case ("begin:vcard" of some
    // mail programs), so that a value holding "end:" does not unbalance the count.
    qsizetype count = 0;
    qsizetype at = 0;
    const qsizetype size = text.size();
    while (at < size) {
        if (QStringView(text).mid(at, marker.size()).compare(marker, Qt::CaseInsensitive) == 0 && ++count >= maxCards)
            return -1;
        const qsizetype end = text.indexOf(QLatin1Char('\n'), at);
        if (end < 0)
            break;
        at = end + 1;
    }
    return count;
}

std::optional<QStringList> VCardLines::logicalLines(const QString &text, qsizetype maxChars)
{
    const QList<QStringView> physical = QStringView(text).split(QLatin1Char('\n'));
    QStringList lines;
    qsizetype next = 0;
    while (next < physical.size()) {
        QString line = physical[next++].toString();
        line.replace(QLatin1String("\\,"), QLatin1String(","));
        if (line.isEmpty())
            continue;
        const bool folded = line[0] == QLatin1Char(' ') || line[0] == QLatin1Char('\t');
        if (!lines.isEmpty() && folded) {
            QString &current = lines.last();
            if (current.endsWith(QLatin1Char('=')))
                current.chop(1);
            current += QStringView(line).mid(1);
        } else if (!lines.isEmpty() && isQuotedPrintableSoftBreak(lines.last())) {
            lines.last().chop(1);
            lines.last() += line;
        } else {
            lines.append(line);
        }
        QString &current = lines.last();
        while (endsWithSingleBackslash(current) && next < physical.size()) {
            current.chop(1);
            current += QLatin1Char('\n');
            current += physical[next++];
        }
        if (current.size() > maxChars)
            return std::nullopt;
    }
    return lines;
}

QStringList VCardLines::splitValue(const QString &value, bool split)
{
    QStringList components;
    QString current;
    const qsizetype n = value.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = value[i];
        if (c == QLatin1Char('\\') && i + 1 < n) {
            const QChar next = value[++i];
            if (next == QLatin1Char('n') || next == QLatin1Char('N'))
                current += QLatin1Char('\n');
            else if (next == QLatin1Char('\\') || next == QLatin1Char(',') || next == QLatin1Char(';') || next == QLatin1Char(':'))
                current += next;
            else
                current.append(c).append(next);
        } else if (c == QLatin1Char(';') && split) {
            components.append(current);
            current.clear();
        } else {
            current += c;
        }
    }
    components.append(current);
    return components;
}
