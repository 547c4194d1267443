#pragma once

#include <QString>

#include <optional>

// The port fields of the server and send screens: read as the leading integer of the text
// (blanks and a sign first, anything after the digits ignored; no number reads as 0) and
// accepted from 1025 to 65535.
namespace PortNumberCheck {
qint64 read(const QString &text);
// The message for a port that is refused, none for a good one.
std::optional<QString> problem(const QString &text);
inline constexpr int kLowest = 1025;
inline constexpr int kHighest = 65535;
}
