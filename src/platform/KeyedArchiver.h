#pragma once

#include "Result.h"

#include <QByteArray>
#include <QVariant>

#include <memory>

class QIODevice;

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

// An archive whose root is a list of data, written to `out` item by item for a list too long
// to hold: the bytes are those archivedData gives for the same items in a QVariantList.
// Once a write fails, every later call answers false.
class DataListWriter {
public:
    explicit DataListWriter(QIODevice &out);
    ~DataListWriter();
    DataListWriter(const DataListWriter &) = delete;
    DataListWriter &operator=(const DataListWriter &) = delete;

    bool append(const QByteArray &data);
    bool finish();

private:
    struct Private;
    std::unique_ptr<Private> d;
};
}
