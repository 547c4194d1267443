#pragma once

#include "Result.h"

#include <QByteArray>

// A structural check of a binary property list ("bplist00") before a parser walks it:
// the trailer, the offset table and every container's references lie inside the bytes,
// no container contains itself, containers nest at most `maxDepth` deep, and no text holds a
// NUL character (libplist aborts on one inside a dictionary key). libplist
// recurses once per level of nesting, so an unchecked file of a few megabytes could
// exhaust the stack. Work is linear in the size of the bytes.
class BinaryPlistReader;

namespace BinaryPlistCheck {
Result<void> check(const QByteArray &bytes, int maxDepth);
// The same for a list already opened (its trailer and offset table checked).
Result<void> check(const BinaryPlistReader &reader, int maxDepth);
}
