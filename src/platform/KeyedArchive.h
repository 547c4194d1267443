#pragma once

#include <QtGlobal>

// What both sides of a keyed archive agree on.
namespace KeyedArchive {
// Seconds from 1970-01-01 to 2001-01-01 UTC, the epoch of NS.time.
inline constexpr qint64 kEpoch2001 = 978307200;
inline constexpr quint64 kVersion = 100000;
// Deepest nesting of containers either side accepts.
inline constexpr int kMaxDepth = 64;
}
