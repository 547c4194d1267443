#pragma once

#include "addressbook/ABAddressBook.h"
#include "addressbook/EntryData.h"
#include "platform/Result.h"

// The rows of the contact selection list, built the same way for the list screen and for
// `vennaro list`: the working set sorted by name in the user's sort ordering, one row per
// person by the list-row rule.
namespace ABEntriesLoader {

struct Loaded {
    EntryList rows;
    int sortOrdering = kABPersonSortByFirstName;
};

// Opens a fresh address book handle and loads the working set. Fails with the user-facing
// text "Couldn't create addressbook." when the address book cannot be opened and
// "Couldn't retrieve contacts." when the chosen source is gone.
Result<Loaded> loadWorkingSet(bool ticked);

// The user's sort ordering (first name when the address book cannot be opened).
int currentSortOrdering();

// The rows of the working set of `book`, read one person at a time so that no record stays
// loaded (the list-row rule, then sorted by name).
EntryList rowsForWorkingSet(ABAddressBook &book, int sortOrdering, bool ticked);

// The record identifiers of those rows, in the same order, without the rows: what a writer
// needs of a working set of any size.
QList<ABRecordID> peopleOfWorkingSet(ABAddressBook &book, int sortOrdering);

}
