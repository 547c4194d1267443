#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// How the vCard and Windows contact writers turn a stored text into bytes.
namespace ValueText {
// The run's conversion (0 UTF-8, else ISO 8859-1) of a present, non-empty text. None for an
// absent or empty text (without the converter's log line: a missing value is not an error)
// and for a text the chosen character set cannot hold.
std::optional<QByteArray> converted(const QString &text, int charSet);
// The text as 8-bit bytes in the system encoding (UTF-8), unconverted; none when empty.
std::optional<QByteArray> plain(const QString &text);
// "UTF-8" or "ISO-8859-1".
QByteArray charsetName(int charSet);
}
