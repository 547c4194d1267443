#pragma once

#include "addressbook/ABAddressBook.h"

#include <QStringList>

// Lookups that tests of readers use to check what landed in the address book.
namespace BookQueries {
// The first person with that last name, none when there is none.
ABRecordRef personNamed(ABAddressBook &book, const QString &lastName);
// The names of the groups the person belongs to, in group order.
QStringList groupsOf(ABAddressBook &book, const ABRecordRef &person);
}
