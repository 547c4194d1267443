#include "CSVParser.h"

#include "platform/DevLog.h"

namespace {

// The platform's newline set: LF, VT, FF, CR, NEL and the Unicode line and paragraph separators.
inline bool isLineBreak(QChar c)
{
    char16_t u = c.unicode();
    return (u >= 0x0a && u <= 0x0d) || u == 0x85 || u == 0x2028 || u == 0x2029;
}

const QChar kQuote = QLatin1Char('"');

} // namespace

CSVParser::CSVParser(QString text, QString separator, bool hasHeader, QStringList fieldNames)
    : m_text(std::move(text)), m_separator(std::move(separator)), m_hasHeader(hasHeader), m_fieldNames(std::move(fieldNames))
{
    if (!isValidSeparator(m_separator)) {
        DevLog::log(QStringLiteral("CSV separator string must not be empty and must not contain the double quote "
                                   "character or newline characters."));
        m_separator = QStringLiteral(",");
    }
    m_separatorIsSingleChar = m_separator.size() == 1;
}

bool CSVParser::isValidSeparator(const QString &separator)
{
    if (separator.isEmpty())
        return false;
    for (QChar c : separator) {
        if (c == kQuote || isLineBreak(c))
            return false;
    }
    return true;
}

std::optional<QStringList> CSVParser::parseHeader()
{
    if (m_scanning)
        return parseHeaderRow();
    // A header read on its own must not move a scan that comes later.
    qsizetype saved = m_pos;
    m_pos = 0;
    std::optional<QStringList> header = parseHeaderRow();
    m_pos = saved;
    return header;
}

void CSVParser::parseRowsForReceiver(const Receiver &receiver)
{
    parseFile(receiver);
}

QList<CSVRecord> CSVParser::arrayOfParsedRows()
{
    QList<CSVRecord> rows;
    parseFile([&rows](const CSVRecord &record) { rows.append(record); });
    return rows;
}

void CSVParser::parseFile(const Receiver &receiver)
{
    m_pos = 0;
    m_scanning = true;
    bool go = true;
    if (m_hasHeader) {
        std::optional<QStringList> header = parseHeaderRow();
        if (header)
            m_fieldNames = *header;
        go = header && parseLineBreak();
    }
    CSVRecord record;
    while (go && parseRecord(record)) {
        receiver(record);
        go = parseLineBreak();
    }
    m_scanning = false;
    m_pos = 0;
}

std::optional<QStringList> CSVParser::parseHeaderRow()
{
    QString field;
    if (!parseField(field))
        return std::nullopt;
    QStringList names;
    names.append(QStringLiteral("%1 %2").arg(0, 4, 10, QLatin1Char('0')).arg(field));
    while (parseSeparator()) {
        field.clear();
        if (!parseField(field))
            break;
        names.append(QStringLiteral("%1 %2").arg(names.size(), 4, 10, QLatin1Char('0')).arg(field));
    }
    return names;
}

bool CSVParser::parseRecord(CSVRecord &record)
{
    if (atLineBreak() || atEnd())
        return false;
    record.fields.clear();
    QString field;
    if (!parseField(field))
        return false;
    do {
        if (record.fields.size() >= m_fieldNames.size())
            m_fieldNames.append(QStringLiteral("FIELD_%1").arg(record.fields.size() + 1));
        record.fields.append(field);
        field.clear();
    } while (parseSeparator() && parseField(field));
    record.names = m_fieldNames; // shared, not copied
    return true;
}

bool CSVParser::parseField(QString &field)
{
    if (parseQuotedField(field))
        return true;
    // An unclosed quote has consumed the rest of the text; the field is read again from there.
    field.clear();
    if (parseTextData(field))
        return true;
    if (atEnd() || atSeparator() || atLineBreak()) {
        field.clear();
        return true;
    }
    return false;
}

bool CSVParser::parseQuotedField(QString &field)
{
    if (atEnd() || m_text.at(m_pos) != kQuote)
        return false;
    ++m_pos;
    for (;;) {
        if (parseTextData(field))
            continue;
        qsizetype start = m_pos;
        if (parseSeparator() || parseLineBreak()) {
            field.append(QStringView(m_text).mid(start, m_pos - start));
            continue;
        }
        if (m_pos + 1 < m_text.size() && m_text.at(m_pos) == kQuote && m_text.at(m_pos + 1) == kQuote) {
            field.append(kQuote);
            m_pos += 2;
            continue;
        }
        break;
    }
    if (atEnd())
        return false;
    ++m_pos; // the closing quote: nothing else stops the loop above
    return true;
}

bool CSVParser::parseTextData(QString &text)
{
    const qsizetype start = m_pos;
    const qsizetype size = m_text.size();
    const QChar *data = m_text.constData();
    const char16_t separator = m_separator.at(0).unicode();
    // The quote, the separator or a line break. Letters, digits and most punctuation come
    // after the quote and before NEL, and are let by in three comparisons.
    auto endsText = [separator](char16_t c) {
        if (c == separator || c == u'"')
            return true;
        return (c < u'"' || c >= 0x85) && isLineBreak(QChar(c));
    };
    for (;;) {
        while (m_pos < size && !endsText(data[m_pos].unicode()))
            ++m_pos;
        if (m_separatorIsSingleChar || m_pos >= size || data[m_pos] != m_separator.at(0) || atSeparator())
            break;
        ++m_pos; // the first character of a longer separator that does not follow in full
    }
    if (m_pos == start)
        return false;
    text.append(QStringView(m_text).mid(start, m_pos - start));
    return true;
}

bool CSVParser::atSeparator() const
{
    // Asked after every field: a one-character separator is one comparison.
    if (m_separatorIsSingleChar)
        return m_pos < m_text.size() && m_text.at(m_pos) == m_separator.at(0);
    return QStringView(m_text).mid(m_pos).startsWith(m_separator);
}

bool CSVParser::atLineBreak() const
{
    return !atEnd() && isLineBreak(m_text.at(m_pos));
}

bool CSVParser::parseSeparator()
{
    if (!atSeparator())
        return false;
    m_pos += m_separator.size();
    return true;
}

bool CSVParser::parseLineBreak()
{
    if (!atLineBreak())
        return false;
    while (atLineBreak())
        ++m_pos;
    return true;
}
