#pragma once

#include "Result.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>

#include <utility>

// Property lists (XML and binary) as QVariant trees: QVariantMap (dict), QVariantList (array),
// QString, qint64/quint64 (integer), double (real), bool, QDateTime (date), QByteArray (data).
namespace PropertyList {
// Reads either form; an Error for anything that is not a well-formed property list.
Result<QVariant> read(const QByteArray &bytes);
QByteArray writeXml(const QVariant &root);
QByteArray writeBinary(const QVariant &root);

// A root dictionary's entries in the order the file holds them (a QVariantMap sorts its keys).
using Entries = QList<std::pair<QString, QVariant>>;
// An Error when the bytes are not a property list or its root is not a dictionary.
Result<Entries> readDictionaryEntries(const QByteArray &bytes);
// An XML property list whose root dictionary holds the entries in their order.
QByteArray writeXmlDictionary(const Entries &entries);
}
