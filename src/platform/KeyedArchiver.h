#pragma once

#include "Result.h"

#include <QByteArray>
#include <QVariant>

// Writes the standard keyed-archive object graph ("$archiver" NSKeyedArchiver, "$version"
// 100000, "$top" {"root"}, "$objects" starting with "$null") as a binary property list, so
// that any keyed unarchiver of that form reads it.
//
// Values: QVariantList/QStringList (NSArray), QVariantMap and KeyedDictionary (NSDictionary;
// keys are texts or integers), QString, QByteArray, QDateTime (NSDate), integers, double,
// bool, and an invalid QVariant (nil). Any other type, or nesting deeper than
// KeyedArchive::kMaxDepth, gives an Error.
namespace KeyedArchiver {
Result<QByteArray> archivedData(const QVariant &root);
}
