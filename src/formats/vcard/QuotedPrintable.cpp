#include "QuotedPrintable.h"

namespace {

const char kHex[] = "0123456789ABCDEF";

void appendEscape(QByteArray &out, unsigned char byte)
{
    out += '=';
    out += kHex[byte >> 4];
    out += kHex[byte & 15];
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

} // namespace

QByteArray QuotedPrintable::encodeQuotedPrintable(const QByteArray &bytes)
{
    QByteArray out;
    out.reserve(bytes.size() + bytes.size() / 2 + 8);
    int column = 0;
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (column >= 70) {
            out += "=\r\n ";
            column = 0;
        }
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte == '\t' || byte == ' ') {
            if (i + 1 < n && bytes[i + 1] == '\n') {
                appendEscape(out, byte);
                column += 3;
            } else {
                out += char(byte);
                column += 1;
            }
        } else if (byte >= '!' && byte <= '~' && byte != '=') {
            out += char(byte);
            column += 1;
        } else if (byte == '\n') {
            out += "=0D=0A";
            column += 6;
        } else {
            appendEscape(out, byte);
            column += 3;
        }
    }
    return out;
}

QByteArray QuotedPrintable::decode(const QByteArray &bytes)
{
    QByteArray out;
    out.reserve(bytes.size());
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char c = bytes[i];
        if (c == '=' && i + 1 < n && bytes[i + 1] == '\n') {
            ++i;
            continue;
        }
        if (c == '=' && i + 2 < n) {
            const int high = hexValue(bytes[i + 1]);
            const int low = hexValue(bytes[i + 2]);
            if (high >= 0 && low >= 0) {
                out += char(high * 16 + low);
                i += 2;
                continue;
            }
        }
        out += c;
    }
    return out;
}
