#pragma once

#include <QByteArray>

// Byte rules of LDIF (RFC 2849) and of distinguished names (RFC 4514) for the LDIF writer.
namespace LdifText {

// Whether a value must be written base64 after "::": it begins with a blank, ":" or "<", or
// holds CR, LF or NUL anywhere. Other bytes (also UTF-8 and ISO 8859-1 letters) stay plain.
bool needsBase64(const QByteArray &value);

// A value escaped for an RDN: "," "+" '"' "\" "<" ">" ";" get a backslash, as do a leading "#"
// or blank and a trailing blank; NUL becomes "\00". So "Doe, John" gives "Doe\, John".
QByteArray escapeDnValue(const QByteArray &value);

}
