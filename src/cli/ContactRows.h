#pragma once

#include "addressbook/ABAddressBook.h"
#include "addressbook/EntryData.h"
#include "platform/Result.h"

#include <QString>

// The rows a command works on, as the contact list would show them.
namespace ContactRows {
// One row per named person of the working set, in the contact selection list's order.
EntryList workingSet(ABAddressBook &book);
// Parses "ID[,ID…]" into record identifiers; an Error names the first word that is not one.
Result<QList<ABRecordID>> parseIds(const QString &text);
// Ticks the rows of `ids` and unticks the others; an Error names identifiers without a row.
Result<void> select(EntryList &rows, const QList<ABRecordID> &ids);
}
