#pragma once

#include "ABConstants.h"

#include <QByteArray>
#include <QHash>
#include <QVariant>

#include <vector>

// The compact form in which a record's values are stored in the database.
namespace ABRecordCodec {
QByteArray encode(const QHash<ABPropertyID, QVariant> &values);
// False when the bytes are not a stored record (the values are then incomplete).
bool decode(const QByteArray &bytes, QHash<ABPropertyID, QVariant> &values);
// Where each property's value starts in a stored record: one pass over the bytes, after which
// any value is decoded without walking the ones before it.
struct Slot {
    ABPropertyID property;
    quint32 offset; // of the value's tag
};
std::vector<Slot> slotsOf(const QByteArray &bytes);
// The value at a slot of the same bytes (invalid when the bytes end early).
QVariant decodeAt(const QByteArray &bytes, const Slot &slot);
// The stored record with one property set to a scalar value (text, number or date), the
// others copied as they are. Empty when the bytes are not a stored record.
QByteArray withValue(const QByteArray &bytes, ABPropertyID property, const QVariant &value);
}
