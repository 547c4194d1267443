#include "HttpRequestParser.h"

#include <QUrl>

namespace {

bool isTokenChar(char c)
{
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
        return true;
    return QByteArrayView("!#$%&'*+-.^_`|~").contains(c);
}

bool isToken(QByteArrayView text)
{
    if (text.isEmpty())
        return false;
    for (char c : text) {
        if (!isTokenChar(c))
            return false;
    }
    return true;
}

// Bytes that never belong inside a line: they would let a line mean two things.
bool hasForbiddenByte(QByteArrayView line)
{
    for (char c : line) {
        if (c == '\r' || c == '\n' || c == '\0')
            return true;
    }
    return false;
}

bool isHttpVersion(QByteArrayView version)
{
    return version.size() == 8 && version.startsWith("HTTP/") && std::isdigit(uchar(version[5]))
           && version[6] == '.' && std::isdigit(uchar(version[7]));
}

bool parseRequestLine(QByteArrayView line, HttpRequestHead &head)
{
    const qsizetype first = line.indexOf(' ');
    const qsizetype last = line.lastIndexOf(' ');
    if (first <= 0 || last <= first + 1)
        return false;
    const QByteArrayView method = line.first(first);
    const QByteArrayView target = line.sliced(first + 1, last - first - 1);
    const QByteArrayView version = line.sliced(last + 1);
    if (!isToken(method) || target.contains(' ') || target.contains('\t') || !isHttpVersion(version))
        return false;
    head.method = method.toByteArray();
    head.target = target.toByteArray();
    head.version = version.toByteArray();
    return true;
}

bool parseField(QByteArrayView line, HttpRequestHead &head)
{
    const qsizetype colon = line.indexOf(':');
    if (colon <= 0 || !isToken(line.first(colon)))
        return false;
    head.fields.append({line.first(colon).toByteArray(), line.sliced(colon + 1).trimmed().toByteArray()});
    return true;
}

QByteArrayView pathAndQuery(QByteArrayView target)
{
    // Absolute form: the path starts after the authority.
    const qsizetype scheme = target.indexOf("://");
    if (scheme > 0 && !target.first(scheme).contains('/')) {
        const qsizetype slash = target.indexOf('/', scheme + 3);
        return slash < 0 ? QByteArrayView("/") : target.sliced(slash);
    }
    return target;
}

} // namespace

std::optional<QByteArray> HttpRequestHead::field(QByteArrayView name) const
{
    for (const auto &[fieldName, value] : fields) {
        if (QByteArrayView(fieldName).compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return std::nullopt;
}

QString HttpRequestHead::path() const
{
    QByteArrayView path = pathAndQuery(target);
    const qsizetype question = path.indexOf('?');
    if (question >= 0)
        path = path.first(question);
    if (path.isEmpty())
        return QStringLiteral("/");
    return QUrl::fromPercentEncoding(path.toByteArray());
}

QString HttpRequestHead::query() const
{
    const QByteArrayView all = pathAndQuery(target);
    const qsizetype question = all.indexOf('?');
    return question < 0 ? QString() : QString::fromUtf8(all.sliced(question + 1));
}

QString HttpRequestHead::uri() const
{
    const QString q = query();
    return q.isEmpty() ? path() : path() + QLatin1Char('?') + q;
}

HttpRequestParser::Parsed HttpRequestParser::parse(QByteArrayView bytes)
{
    Parsed parsed;
    qsizetype position = 0;
    int lines = 0;
    bool haveRequestLine = false;
    for (;;) {
        const QByteArrayView window = bytes.sliced(position).first(std::min(bytes.size() - position, kMaxLineBytes));
        const qsizetype end = window.indexOf("\r\n");
        if (end < 0) {
            parsed.outcome = window.size() >= kMaxLineBytes ? Outcome::LineTooLong : Outcome::Incomplete;
            return parsed;
        }
        const QByteArrayView line = window.first(end);
        position += end + 2;
        if (hasForbiddenByte(line)) {
            parsed.outcome = Outcome::Malformed;
            return parsed;
        }
        if (line.isEmpty() && haveRequestLine) {
            parsed.outcome = Outcome::Complete;
            parsed.consumed = position;
            return parsed;
        }
        // Empty lines before the request line are tolerated (they follow a body at times).
        if (!line.isEmpty()) {
            const bool understood = haveRequestLine ? parseField(line, parsed.head) : parseRequestLine(line, parsed.head);
            if (!understood) {
                parsed.outcome = Outcome::Malformed;
                return parsed;
            }
            haveRequestLine = true;
        }
        if (++lines >= kMaxHeaderLines) {
            parsed.outcome = Outcome::TooManyLines;
            return parsed;
        }
    }
}

std::optional<quint64> HttpRequestParser::parseNumber(QByteArrayView text)
{
    qsizetype i = 0;
    while (i < text.size() && QByteArrayView(" \t\n\v\f\r").contains(text[i]))
        ++i;
    if (i < text.size() && text[i] == '+')
        ++i;
    quint64 value = 0;
    const qsizetype firstDigit = i;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        const quint64 digit = quint64(text[i] - '0');
        if (value > (std::numeric_limits<quint64>::max() - digit) / 10)
            return std::nullopt;
        value = value * 10 + digit;
    }
    if (i == firstDigit)
        return std::nullopt;
    return value;
}

HttpRequestParser::BodyLength HttpRequestParser::contentLength(const HttpRequestHead &head, quint64 *length)
{
    std::optional<quint64> found;
    for (const auto &[name, value] : head.fields) {
        if (QByteArrayView(name).compare("Content-Length", Qt::CaseInsensitive) != 0)
            continue;
        const std::optional<quint64> number = parseNumber(value);
        if (!number || (found && *found != *number))
            return BodyLength::Invalid;
        found = number;
    }
    if (!found)
        return BodyLength::None;
    *length = *found;
    return BodyLength::Valid;
}
