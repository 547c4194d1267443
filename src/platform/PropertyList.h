#pragma once

#include "Result.h"

#include <QByteArray>
#include <QVariant>

// Property lists (XML and binary) as QVariant trees: QVariantMap (dict), QVariantList (array),
// QString, qint64/quint64 (integer), double (real), bool, QDateTime (date), QByteArray (data).
namespace PropertyList {
// Reads either form; an Error for anything that is not a well-formed property list.
Result<QVariant> read(const QByteArray &bytes);
QByteArray writeXml(const QVariant &root);
QByteArray writeBinary(const QVariant &root);
}
