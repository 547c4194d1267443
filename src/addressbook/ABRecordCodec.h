#pragma once

#include "ABConstants.h"

#include <QByteArray>
#include <QHash>
#include <QVariant>

// The compact form in which a record's values are stored in the database.
namespace ABRecordCodec {
QByteArray encode(const QHash<ABPropertyID, QVariant> &values);
// False when the bytes are not a stored record (the values are then incomplete).
bool decode(const QByteArray &bytes, QHash<ABPropertyID, QVariant> &values);
// The value of one property (invalid when the record has none), without building the others.
QVariant decodeOne(const QByteArray &bytes, ABPropertyID property);
// The stored record with one property set to `value` (an invalid one removes it), the
// others copied as they are. Empty when the bytes are not a stored record.
QByteArray withValue(const QByteArray &bytes, ABPropertyID property, const QVariant &value);
}
