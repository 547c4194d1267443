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
}
