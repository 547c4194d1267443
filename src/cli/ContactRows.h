#pragma once

#include "addressbook/ABAddressBook.h"
#include "platform/Result.h"

#include <QString>

// The people a command works on, as the contact list would show them.
namespace ContactRows {
// The record identifiers of the working set's rows, in the contact selection list's order.
QList<ABRecordID> workingSet(ABAddressBook &book);
// Parses "ID[,ID…]" into record identifiers; an Error names the first word that is not one.
Result<QList<ABRecordID>> parseIds(const QString &text);
// The people of `ids`, in their order in `people`; an Error names identifiers not among them.
Result<QList<ABRecordID>> select(const QList<ABRecordID> &people, const QList<ABRecordID> &ids);
}
