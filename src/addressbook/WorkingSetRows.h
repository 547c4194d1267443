#pragma once

#include "EntryData.h"

class ABAddressBook;

// The rows of every person of the working set (ABSources::peopleToWorkOn) that has a name,
// all selected, in list order: by last name, then by name, by the user's collation.
EntryList loadWorkingSetRows(ABAddressBook &book);
