#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The lexical layer of the vCard reader: counting cards and unfolding physical lines.
namespace VCardLines {

// Lines of `text` that begin with `marker` (any letter case), or -1 when there are `maxCards`
// or more of them.
qsizetype countMarkers(const QString &text, const QString &marker, qsizetype maxCards);

// The logical lines of `text` (CR already removed): "\," becomes ",", empty lines are skipped,
// a line starting with a blank or TAB continues the previous one (dropping a trailing "=" of
// quoted-printable there, and its own first character), a quoted-printable line ending in "="
// goes on with the next line, and a line ending in one backslash takes the next line after an LF.
// None when a logical line grows past `maxChars`.
std::optional<QStringList> logicalLines(const QString &text, qsizetype maxChars);

// A value split at its unescaped ";" (when `split` is set) with the vCard escapes undone in
// each component: "\n" and "\N" are line breaks, "\\", "\,", "\;" and "\:" the character
// itself. Other backslashes stay as they are.
QStringList splitValue(const QString &value, bool split);

}
