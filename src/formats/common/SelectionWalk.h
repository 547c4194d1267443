#pragma once

#include "addressbook/ABAddressBook.h"
#include "addressbook/EntryData.h"

#include <functional>

class ProgressTarget;

// The walk every writer makes over the selected rows of a list, in list order, each row with
// its person.
namespace SelectionWalk {

int countSelected(const EntryList &rows);

// Calls `visit` with the person of each selected row whose person still exists, valid during
// its visit only (ABAddressBook::forEachPersonToRead): people are read a block ahead of the
// visits and nothing is kept, so memory stays flat however many rows there are. When
// `progress` is given, each visit is first reported to it, on the main thread and waiting, as
// visited / countSelected(rows), leaving out values a progress bar cannot show (ProgressSteps).
void forEachSelectedPerson(ABAddressBook &book, const EntryList &rows, ProgressTarget *progress,
                           const std::function<void(const ABRecord &person)> &visit);

// The same people in the order fastest to read, without progress: for a pass whose result
// does not depend on the order (a count).
void forEachSelectedPersonInAnyOrder(ABAddressBook &book, const EntryList &rows,
                                     const std::function<void(const ABRecord &person)> &visit);

}
