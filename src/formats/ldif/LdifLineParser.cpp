#include "LdifLineParser.h"

#include "platform/DevLog.h"

#include <array>

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// -1 for a byte outside the alphabet.
const std::array<signed char, 256> &base64Values()
{
    static const std::array<signed char, 256> table = [] {
        std::array<signed char, 256> values{};
        values.fill(-1);
        const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
        for (int i = 0; i < 64; ++i)
            values[static_cast<unsigned char>(alphabet[i])] = static_cast<signed char>(i);
        return values;
    }();
    return table;
}

std::optional<LdifLine> parseError()
{
    DevLog::log(QStringLiteral("ldif_parse ldif_parse_line ERROR"));
    return std::nullopt;
}

} // namespace

std::optional<QByteArray> ldifDecodeBase64(QByteArrayView text)
{
    while (!text.isEmpty() && isBlank(text.back()))
        text.chop(1);
    const auto &values = base64Values();
    QByteArray out;
    out.reserve(text.size() / 4 * 3);
    for (qsizetype i = 0; i < text.size(); i += 4) {
        if (i + 4 > text.size())
            return std::nullopt;
        int v[4];
        for (int k = 0; k < 4; ++k)
            v[k] = values[static_cast<unsigned char>(text[i + k])];
        if (v[0] < 0 || v[1] < 0)
            return std::nullopt;
        out.append(char((v[0] << 2) | (v[1] >> 4)));
        if (text[i + 2] == '=')
            return out;
        if (v[2] < 0)
            return std::nullopt;
        out.append(char(((v[1] & 0x0f) << 4) | (v[2] >> 2)));
        if (text[i + 3] == '=')
            return out;
        if (v[3] < 0)
            return std::nullopt;
        out.append(char(((v[2] & 0x03) << 6) | v[3]));
    }
    return out;
}

std::optional<LdifLine> ldif_parse_line(QByteArrayView line)
{
    qsizetype start = 0;
    while (start < line.size() && isBlank(line[start]))
        ++start;
    qsizetype colon = line.indexOf(':', start);
    if (colon < 0)
        return parseError();
    qsizetype nameEnd = colon;
    while (nameEnd > start && isBlank(line[nameEnd - 1]))
        --nameEnd;

    LdifLine result;
    result.name = line.sliced(start, nameEnd - start);
    qsizetype pos = colon + 1;
    result.wasBase64 = pos < line.size() && line[pos] == ':';
    if (result.wasBase64)
        ++pos;
    while (pos < line.size() && isBlank(line[pos]))
        ++pos;
    result.m_text = line.sliced(pos);
    // Most values are kept as they stand, without a copy.
    if (!result.wasBase64 && !result.m_text.contains('\x01'))
        return result;
    QByteArray value = result.m_text.toByteArray();
    value.removeIf([](char c) { return c == '\x01'; });
    if (result.wasBase64) {
        std::optional<QByteArray> decoded = ldifDecodeBase64(value);
        if (!decoded)
            return parseError();
        value = *decoded;
    }
    // Never null, so that value() answers it even when it is empty.
    result.m_decoded = value.isNull() ? QByteArray("") : value;
    return result;
}
