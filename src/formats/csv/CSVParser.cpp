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

// Reads a text from a position on. A piece's end is found by the very rules that read its
// fields, given no string to read them into.
class CSVParser::Cursor {
public:
    Cursor(QStringView text, QStringView separator)
        : m_text(text), m_separator(separator), m_separatorIsSingleChar(separator.size() == 1)
    {
    }

    qsizetype pos() const { return m_pos; }
    bool atEnd() const { return m_pos >= m_text.size(); }

    std::optional<QStringList> parseHeaderRow();
    // A record's fields; false at a line break or the end.
    bool parseRecord(QStringList &fields);
    bool parseLineBreak();
    // Steps over a record as parseRecord() reads it, without its fields: a field there never
    // fails to parse (one left unread would be at a quote, which opens a quoted field).
    bool skipRecord()
    {
        if (atLineBreak() || atEnd())
            return false;
        do {
            if (!parseQuotedField(nullptr))
                parseTextData(nullptr);
        } while (parseSeparator());
        return true;
    }

private:
    bool parseField(QString &field);
    // These two only step over what they read when given no string.
    bool parseQuotedField(QString *field);
    bool parseTextData(QString *text);
    bool parseSeparator()
    {
        if (!atSeparator())
            return false;
        m_pos += m_separator.size();
        return true;
    }
    // Asked after every field: a one-character separator is one comparison.
    bool atSeparator() const
    {
        if (m_separatorIsSingleChar)
            return m_pos < m_text.size() && m_text[m_pos] == m_separator[0];
        return atLongSeparator();
    }
    bool atLongSeparator() const;
    bool atLineBreak() const { return !atEnd() && isLineBreak(m_text[m_pos]); }

    QStringView m_text;
    QStringView m_separator;
    bool m_separatorIsSingleChar;
    qsizetype m_pos = 0;
};

std::optional<QStringList> CSVParser::Cursor::parseHeaderRow()
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

bool CSVParser::Cursor::parseRecord(QStringList &fields)
{
    if (atLineBreak() || atEnd())
        return false;
    fields.clear();
    QString field;
    if (!parseField(field))
        return false;
    do {
        fields.append(field);
        field.clear();
    } while (parseSeparator() && parseField(field));
    return true;
}

bool CSVParser::Cursor::parseField(QString &field)
{
    if (parseQuotedField(&field))
        return true;
    // An unclosed quote has consumed the rest of the text; the field is read again from there.
    field.clear();
    if (parseTextData(&field))
        return true;
    if (atEnd() || atSeparator() || atLineBreak()) {
        field.clear();
        return true;
    }
    return false;
}

bool CSVParser::Cursor::parseQuotedField(QString *field)
{
    if (atEnd() || m_text[m_pos] != kQuote)
        return false;
    // Up to a quote that is not doubled, everything is the field's: separators, line breaks,
    // and a doubled quote as one.
    const qsizetype size = m_text.size();
    for (qsizetype from = m_pos + 1;;) {
        // Fields are short: a plain loop beats a vectorized search and its call.
        qsizetype quote = from;
        while (quote < size && m_text[quote] != kQuote)
            ++quote;
        if (quote == size) {
            // Unclosed: the rest of the text is consumed, and the field is read again from there.
            m_pos = size;
            return false;
        }
        if (field)
            field->append(m_text.mid(from, quote - from));
        if (quote + 1 < size && m_text[quote + 1] == kQuote) {
            if (field)
                field->append(kQuote);
            from = quote + 2;
            continue;
        }
        m_pos = quote + 1;
        return true;
    }
}

bool CSVParser::Cursor::parseTextData(QString *text)
{
    const qsizetype start = m_pos;
    const qsizetype size = m_text.size();
    const QChar *data = m_text.data();
    const char16_t separator = m_separator[0].unicode();
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
        if (m_separatorIsSingleChar || m_pos >= size || data[m_pos] != m_separator[0] || atSeparator())
            break;
        ++m_pos; // the first character of a longer separator that does not follow in full
    }
    if (m_pos == start)
        return false;
    if (text)
        text->append(m_text.mid(start, m_pos - start));
    return true;
}

bool CSVParser::Cursor::atLongSeparator() const
{
    return m_text.mid(m_pos).startsWith(m_separator);
}

bool CSVParser::Cursor::parseLineBreak()
{
    if (!atLineBreak())
        return false;
    while (atLineBreak())
        ++m_pos;
    return true;
}

CSVParser::CSVParser(QString text, QString separator, bool hasHeader, QStringList fieldNames)
    : m_text(std::move(text)), m_separator(std::move(separator)), m_hasHeader(hasHeader), m_fieldNames(std::move(fieldNames))
{
    if (!isValidSeparator(m_separator)) {
        DevLog::log(QStringLiteral("CSV separator string must not be empty and must not contain the double quote "
                                   "character or newline characters."));
        m_separator = QStringLiteral(",");
    }
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

std::optional<QStringList> CSVParser::parseHeader() const
{
    Cursor cursor(m_text, m_separator);
    return cursor.parseHeaderRow();
}

void CSVParser::parseRowsForReceiver(const Receiver &receiver)
{
    Cursor cursor(m_text, m_separator);
    if (passHeader(cursor, m_fieldNames))
        parseRecords(cursor, m_fieldNames, receiver);
}

bool CSVParser::passHeader(Cursor &cursor, QStringList &names) const
{
    if (!m_hasHeader)
        return true;
    std::optional<QStringList> header = cursor.parseHeaderRow();
    if (header)
        names = *header;
    return header && cursor.parseLineBreak();
}

QList<CSVRecord> CSVParser::arrayOfParsedRows()
{
    QList<CSVRecord> rows;
    parseRowsForReceiver([&rows](const CSVRecord &record) { rows.append(record); });
    return rows;
}

void CSVParser::parseRecords(Cursor &cursor, QStringList &names, const Receiver &receiver)
{
    CSVRecord record;
    while (cursor.parseRecord(record.fields)) {
        for (qsizetype i = names.size(); i < record.fields.size(); ++i)
            names.append(QStringLiteral("FIELD_%1").arg(i + 1));
        record.names = names; // shared, not copied
        receiver(record);
        if (!cursor.parseLineBreak())
            return;
    }
}

QStringView CSVParser::nextPiece(qsizetype aim)
{
    if (m_pieceAt < 0) {
        Cursor cursor(m_text, m_separator);
        m_pieceNames = m_fieldNames;
        m_pieceAt = passHeader(cursor, m_pieceNames) ? cursor.pos() : m_text.size();
    }
    const qsizetype start = m_pieceAt;
    Cursor records(QStringView(m_text).mid(start), m_separator);
    bool more = true;
    while (more && records.pos() < aim && records.skipRecord())
        more = records.parseLineBreak(); // without one, the whole parse ends with this record
    m_pieceAt = more ? start + records.pos() : m_text.size();
    return QStringView(m_text).mid(start, records.pos());
}

void CSVParser::parsePiece(QStringView piece, const Receiver &receiver) const
{
    Cursor cursor(piece, m_separator);
    QStringList names = m_pieceNames;
    parseRecords(cursor, names, receiver);
}
