#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Text and byte helpers shared by every writer.
namespace TextConversion {

// The text as UTF-8 / ISO 8859-1 bytes. None for an absent or empty text ("%s 0 lenght string"
// is logged) and, for ISO 8859-1, for a text with any character outside it
// ("%s CFStringGetCString ERROR"): such a value is treated as absent, never replaced by "?".
std::optional<QByteArray> toUTF8andRelease(const QString &text);
std::optional<QByteArray> toISOLatin1andRelease(const QString &text);
// By the character set setting: 0 UTF-8, anything else ISO 8859-1.
std::optional<QByteArray> convert(const QString &text, int charSet);

// RFC 4648 Base64 into `output` (of `outputSize` bytes, zero-terminated), padded with "=";
// with a line length other than 0, CR LF after every `lineLength` output characters.
// Answers 0, or -1 when the output would not fit.
int base64encode(const unsigned char *input, size_t length, char *output, size_t outputSize, size_t lineLength);
// The same into a byte array (never too small).
QByteArray base64(const QByteArray &input, size_t lineLength = 0);

// The person's image re-encoded as JPEG at the best quality; empty when the bytes do not
// decode as an image (the caller logs and writes no photo).
QByteArray jpegFromImageData(const QByteArray &imageData);

}
