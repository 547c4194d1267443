#include "CSVParser.h"

#include "platform/DevLog.h"

#include <bit>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// The platform's newline set: LF, VT, FF, CR, NEL and the Unicode line and paragraph separators.
inline bool isLineBreak(QChar c)
{
    char16_t u = c.unicode();
    return (u >= 0x0a && u <= 0x0d) || u == 0x85 || u == 0x2028 || u == 0x2029;
}

const QChar kQuote = QLatin1Char('"');

#if defined(__SSE2__)
// Where a block of 64 characters has quotes, separators and line breaks: bit i for character i.
struct BlockClasses {
    quint64 quotes = 0;
    quint64 separators = 0;
    quint64 breaks = 0;
};

BlockClasses classify(const char16_t *block, char16_t separator)
{
    const __m128i quote = _mm_set1_epi16(short(u'"'));
    const __m128i sep = _mm_set1_epi16(short(separator));
    const __m128i lineFeed = _mm_set1_epi16(0x0a);
    const __m128i three = _mm_set1_epi16(3);
    const __m128i nextLine = _mm_set1_epi16(0x85);
    const __m128i lineSeparator = _mm_set1_epi16(0x2028);
    const __m128i paragraphSeparator = _mm_set1_epi16(0x2029);
    const __m128i zero = _mm_setzero_si128();
    auto isBreak = [&](__m128i chars) {
        // LF, VT, FF and CR: the character less LF is at most 3.
        const __m128i low = _mm_cmpeq_epi16(_mm_subs_epu16(_mm_sub_epi16(chars, lineFeed), three), zero);
        return _mm_or_si128(_mm_or_si128(low, _mm_cmpeq_epi16(chars, nextLine)),
                            _mm_or_si128(_mm_cmpeq_epi16(chars, lineSeparator), _mm_cmpeq_epi16(chars, paragraphSeparator)));
    };
    auto bits = [](__m128i first, __m128i second) { return quint64(quint16(_mm_movemask_epi8(_mm_packs_epi16(first, second)))); };
    BlockClasses classes;
    for (int i = 0; i < 4; ++i) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(block + 16 * i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(block + 16 * i + 8));
        classes.quotes |= bits(_mm_cmpeq_epi16(a, quote), _mm_cmpeq_epi16(b, quote)) << (16 * i);
        classes.separators |= bits(_mm_cmpeq_epi16(a, sep), _mm_cmpeq_epi16(b, sep)) << (16 * i);
        classes.breaks |= bits(isBreak(a), isBreak(b)) << (16 * i);
    }
    return classes;
}

// Bit i is the parity of the set bits from 0 to i.
quint64 prefixParity(quint64 bits)
{
    for (int shift = 1; shift < 64; shift *= 2)
        bits ^= bits << shift;
    return bits;
}
#endif

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
    // At a record's start: steps over whole records that the steps below would go over too,
    // 64 characters at a time, up to the first record that starts at `aim` or past it. It stops
    // earlier, at a record's start, where these steps have to decide: a quote out of place
    // (which ends the whole parse), a separator longer than one character, the last characters.
    void skipPlainRecords(qsizetype aim);
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

void CSVParser::Cursor::skipPlainRecords(qsizetype aim)
{
#if defined(__SSE2__)
    // A line break where a record should start ends the whole parse: the steps say so.
    if (!m_separatorIsSingleChar || atLineBreak())
        return;
    const char16_t *data = reinterpret_cast<const char16_t *>(m_text.data());
    // What the character before the block was: inside quotes (an opening quote included), one
    // that may come before an opening quote, a line break, a closing quote.
    bool inQuotes = false;
    bool opensNext = true; // a record starts here
    bool breakBefore = true;
    bool closeBefore = false;
    for (qsizetype at = m_pos; at + 64 <= m_text.size(); at += 64) {
        const BlockClasses block = classify(data + at, m_separator[0].unicode());
        const quint64 inside = prefixParity(block.quotes) ^ (inQuotes ? ~quint64(0) : 0);
        const quint64 opens = block.quotes & inside;
        const quint64 closes = block.quotes & ~inside;
        const quint64 separators = block.separators & ~inside;
        const quint64 breaks = block.breaks & ~inside;
        // A field opens with its quote; a closing quote is followed by a separator, a line
        // break or a quote that doubles it. Any other quote is one the steps have to judge.
        const quint64 mayOpen = separators | breaks | closes;
        const quint64 mayFollowClose = separators | breaks | opens;
        quint64 outOfPlace = (opens & ~((mayOpen << 1) | quint64(opensNext)))
                             | (closes & ~(mayFollowClose >> 1) & ~(quint64(1) << 63));
        if (closeBefore && !(mayFollowClose & 1))
            return; // the closing quote that ended the last block: m_pos is its record's start
        // Records start after a run of line breaks; none after the first quote out of place.
        quint64 starts = ~breaks & ((breaks << 1) | quint64(breakBefore));
        if (outOfPlace)
            starts &= (quint64(1) << std::countr_zero(outOfPlace)) - 1;
        const qsizetype firstWanted = aim - at;
        if (firstWanted < 64) {
            const quint64 wanted = firstWanted <= 0 ? starts : starts & ~((quint64(1) << firstWanted) - 1);
            if (wanted) {
                m_pos = at + std::countr_zero(wanted);
                return;
            }
        }
        if (starts)
            m_pos = at + 63 - std::countl_zero(starts);
        if (outOfPlace)
            return;
        inQuotes = inside >> 63;
        opensNext = (mayOpen >> 63) & 1;
        breakBefore = (breaks >> 63) & 1;
        closeBefore = (closes >> 63) & 1;
    }
#else
    (void)aim;
#endif
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
    while (more && records.pos() < aim) {
        records.skipPlainRecords(aim);
        if (records.pos() >= aim || !records.skipRecord())
            break;
        more = records.parseLineBreak(); // without one, the whole parse ends with this record
    }
    m_pieceAt = more ? start + records.pos() : m_text.size();
    return QStringView(m_text).mid(start, records.pos());
}

void CSVParser::parsePiece(QStringView piece, const Receiver &receiver) const
{
    Cursor cursor(piece, m_separator);
    QStringList names = m_pieceNames;
    parseRecords(cursor, names, receiver);
}
