#pragma once

#include "addressbook/ABAddressBook.h"
#include "addressbook/EntryData.h"

#include <functional>

class ProgressTarget;

// The walk that the vCard and Windows contact writers share: the selected rows in list order,
// each looked up by its record identifier.
namespace SelectionWalk {
int countSelected(const EntryList &rows);
// When the selection is at least half of the address book, loads every person in one query, so
// that the lookups of the walk (and of group members) need no query each.
void preload(ABAddressBook &book, int total);
// For every selected row whose person still exists: reports done / total to `progress`, then
// calls `write`. Rows whose person is gone are skipped without a report.
void forEachSelectedPerson(ABAddressBook &book, const EntryList &rows, int total, ProgressTarget *progress,
                           const std::function<void(const ABRecordRef &person)> &write);
}
