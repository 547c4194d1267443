#include "MultipartParser.h"

#include <QStringDecoder>

namespace {

QString decodeText(QByteArrayView bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}

// The value of parameter `key` of a Content-Disposition line, and whether it is there. The
// parameters are split at ";" outside double quotes; a quoted value is the text between its
// first and second double quote.
bool dispositionParameter(QByteArrayView line, QByteArrayView key, QByteArray *value)
{
    qsizetype start = line.indexOf(';');
    if (start < 0)
        return false;
    ++start;
    bool quoted = false;
    for (qsizetype i = start; i <= line.size(); ++i) {
        if (i < line.size() && line[i] == '"')
            quoted = !quoted;
        if (i < line.size() && (line[i] != ';' || quoted))
            continue;
        const QByteArrayView parameter = line.sliced(start, i - start).trimmed();
        start = i + 1;
        const qsizetype equals = parameter.indexOf('=');
        if (equals <= 0 || parameter.first(equals).trimmed().compare(key, Qt::CaseInsensitive) != 0)
            continue;
        QByteArrayView raw = parameter.sliced(equals + 1).trimmed();
        if (raw.startsWith('"')) {
            const qsizetype close = raw.indexOf('"', 1);
            raw = close < 0 ? raw.sliced(1) : raw.sliced(1, close - 1);
        }
        *value = raw.toByteArray();
        return true;
    }
    return false;
}

} // namespace

MultipartParser::State MultipartParser::feed(QByteArrayView piece, Sink &sink)
{
    if (m_state != State::Incomplete)
        return m_state;
    m_buffer.append(piece);
    bool progress = true;
    while (progress && m_state == State::Incomplete) {
        switch (m_phase) {
        case Phase::Preamble: progress = readPreamble(); break;
        case Phase::PartHeaders: progress = readPartHeaders(sink); break;
        case Phase::AfterDelimiter: progress = readAfterDelimiter(sink); break;
        case Phase::PartBody: progress = readPartBody(sink); break;
        }
    }
    m_buffer.remove(0, m_used);
    m_used = 0;
    if (m_state != State::Incomplete)
        m_buffer.clear();
    return m_state;
}

// The first line that is not empty is the delimiter.
bool MultipartParser::readPreamble()
{
    const QByteArrayView rest = QByteArrayView(m_buffer).sliced(m_used);
    const qsizetype end = rest.indexOf("\r\n");
    if (end < 0) {
        if (rest.size() > kMaxDelimiterBytes + 1)
            fail();
        return false;
    }
    // The limit applies to the line as sent, blanks included, as it does to a line still
    // arriving: a body must not be taken whole and refused in pieces.
    if (end > kMaxDelimiterBytes) {
        fail();
        return false;
    }
    const QByteArrayView line = rest.first(end).trimmed();
    m_used += end + 2;
    if (line.isEmpty())
        return true;
    if (line.size() < 3 || !line.startsWith("--")) {
        fail();
        return false;
    }
    m_delimiter = "\r\n" + line.toByteArray();
    m_phase = Phase::PartHeaders;
    return true;
}

bool MultipartParser::readPartHeaders(Sink &sink)
{
    const QByteArrayView rest = QByteArrayView(m_buffer).sliced(m_used);
    const qsizetype end = rest.first(std::min(rest.size(), kMaxPartHeaderLineBytes)).indexOf("\r\n");
    if (end < 0) {
        if (rest.size() >= kMaxPartHeaderLineBytes)
            fail();
        return false;
    }
    const QByteArrayView line = rest.first(end);
    m_used += end + 2;
    if (!line.isEmpty()) {
        if (++m_headerLines > kMaxPartHeaderLines) {
            fail();
            return false;
        }
        const QByteArrayView disposition("content-disposition:");
        if (line.size() >= disposition.size() && line.first(disposition.size()).compare(disposition, Qt::CaseInsensitive) == 0) {
            QByteArray name;
            QByteArray fileName;
            if (dispositionParameter(line, "name", &name))
                m_partName = decodeText(name);
            m_partIsFile = dispositionParameter(line, "filename", &fileName);
            m_fieldValue = fileName;  // held until the headers end
        }
        return true;
    }
    m_headerLines = 0;
    m_phase = Phase::PartBody;
    if (m_partIsFile) {
        m_partWanted = sink.fileBegins(m_partName, decodeText(m_fieldValue));
        m_fieldValue.clear();
    } else {
        m_partWanted = !m_partName.isEmpty();
    }
    return true;
}

void MultipartParser::emitContent(QByteArrayView bytes, Sink &sink)
{
    if (!m_partWanted || bytes.isEmpty())
        return;
    if (m_partIsFile) {
        sink.fileData(bytes);
        return;
    }
    if (m_fieldValue.size() + bytes.size() > kMaxFieldValueBytes)
        fail();
    else
        m_fieldValue.append(bytes);
}

bool MultipartParser::readPartBody(Sink &sink)
{
    const QByteArrayView rest = QByteArrayView(m_buffer).sliced(m_used);
    const qsizetype found = rest.indexOf(m_delimiter);
    if (found < 0) {
        // Keep what could be the start of a delimiter split between two pieces.
        const qsizetype safe = std::max<qsizetype>(0, rest.size() - (m_delimiter.size() - 1));
        emitContent(rest.first(safe), sink);
        m_used += safe;
        return false;
    }
    emitContent(rest.first(found), sink);
    if (m_state != State::Incomplete)
        return false;
    m_used += found + m_delimiter.size();
    if (m_partWanted) {
        if (m_partIsFile)
            sink.fileEnds();
        else
            sink.field(m_partName, m_fieldValue);
    }
    m_partName.clear();
    m_partIsFile = m_partWanted = false;
    m_fieldValue.clear();
    m_phase = Phase::AfterDelimiter;
    return true;
}

// After a delimiter: "--" closes the body, CR LF starts the next part (blanks may come first).
bool MultipartParser::readAfterDelimiter(Sink &)
{
    const QByteArrayView rest = QByteArrayView(m_buffer).sliced(m_used);
    if (rest.size() < 2)
        return false;
    if (rest.startsWith("--")) {
        m_state = State::Complete;
        return false;
    }
    qsizetype blanks = 0;
    while (blanks < rest.size() && (rest[blanks] == ' ' || rest[blanks] == '\t'))
        ++blanks;
    if (blanks > kMaxDelimiterBytes) {
        fail();
        return false;
    }
    if (rest.size() - blanks < 2)
        return false;
    if (rest.sliced(blanks).first(2) != "\r\n") {
        fail();
        return false;
    }
    m_used += blanks + 2;
    m_phase = Phase::PartHeaders;
    return true;
}
