#pragma once

#include "ABAddressBook.h"

#include <QString>
#include <QStringList>

// A person as readable text: the composite name, then one indented line per value with its
// localized label. `vennaro show` prints it; the read-only person view shows it.
namespace PersonText {
QStringList groupNames(ABAddressBook &book, const ABRecordRef &person);
QString readable(ABAddressBook &book, const ABRecordRef &person);
}
