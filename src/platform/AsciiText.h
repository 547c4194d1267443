#pragma once

#include <QByteArrayView>
#include <QStringView>

#include <algorithm>

// ASCII tests and case mapping, for the readers and writers that take a short way with plain
// ASCII text and leave every other letter to Qt's Unicode rules.
namespace AsciiText {

inline bool isAscii(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
}

inline bool isAscii(QByteArrayView bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) < 0x80; });
}

inline char16_t toUpper(char16_t c)
{
    return c >= u'a' && c <= u'z' ? char16_t(c - (u'a' - u'A')) : c;
}

inline char toLower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c;
}

} // namespace AsciiText
