#pragma once

#include <QByteArray>

// The characters of a stored phone number that the number tools look at.
namespace WorkingNumber {
// A working number longer than this, or a result longer than kResultCapacity, is passed over
// by the pass: cutting a number short would corrupt it.
inline constexpr int kCapacity = 51;
inline constexpr int kResultCapacity = 99;

// Decimal digits, '#', '*' and '+'.
inline bool isKept(char c)
{
    return (c >= '0' && c <= '9') || c == '#' || c == '*' || c == '+';
}

// The kept characters of `text`, in their order; blanks, brackets, dashes, dots and letters go.
QByteArray from(const QByteArray &text);
}
