#pragma once

#include <QByteArray>

// Quoted-printable as the vCard writer and reader use it.
namespace QuotedPrintable {
// Soft line break "=\r\n " before a byte once 70 characters stand on the line; a TAB or blank
// right before an LF, an LF (as "=0D=0A"), "=", CR and every byte outside "!" to "~" escaped.
QByteArray encodeQuotedPrintable(const QByteArray &bytes);
// "=" + LF yields nothing; "=" + two hexadecimal digits yields that byte; anything else,
// a short or malformed escape included, passes unchanged.
QByteArray decode(const QByteArray &bytes);
}
