#pragma once

#include "addressbook/ABAddressBook.h"

#include <QHash>
#include <QStringList>

namespace GroupNames {
// The names of the groups of the whole address book (all sources) that hold each person, in
// the book's group order: one walk over the groups for a whole export instead of one per
// record. Groups without a name are left out.
QHash<ABRecordID, QStringList> byPerson(ABAddressBook &book);
}
