#pragma once

#include "Result.h"

#include <QByteArray>
#include <QVariant>

// Reads a keyed archive written by KeyedArchiver or by another implementation of the same
// form (binary property list; mutable and immutable class names alike) into the value types
// KeyedArchiver takes; every dictionary comes back as a KeyedDictionary in archive order,
// NS.string/NS.data objects as QString/QByteArray.
//
// Anything malformed gives an Error and nothing else: not a binary property list, a wrong
// archiver or root type, a reference out of range, a reference cycle, nesting deeper than
// KeyedArchive::kMaxDepth, unknown classes, key and value lists of different lengths. Work
// and memory stay proportional to the input: each object is decoded once and shared.
namespace KeyedUnarchiver {
Result<QVariant> unarchive(QByteArray bytes);
}
