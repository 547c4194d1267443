#pragma once

#include "addressbook/EntryData.h"
#include "platform/Result.h"

#include <QList>
#include <QString>

// The group operations of the group screens and `vennaro groups`, on the source chosen on
// the main menu. Each opens its own address book handle. Failures come back with the text the
// user reads (the address book's own description where it gives one).
namespace GroupStore {

// The named groups to work on, in the address book's order. None (and a log line) when the
// address book cannot be opened.
QList<GroupData> loadGroups();

// Creates a group in the chosen source (else the default source) and saves; answers its
// record identifier.
Result<int> createGroup(const QString &name);

// Removes the group and saves.
Result<void> deleteGroup(int recordID);

struct Members {
    EntryList rows;       // every person, members ticked; sorted per source, sources in order
    int sortOrdering = 0;
    int memberCount = 0;  // rows that are members
};

// The members screen's rows of a group.
Result<Members> loadMembers(int groupRecordID);

// Whether any row's tick differs from its membership.
bool hasChanges(const EntryList &rows);

// Adds the ticked non-members to the group and removes the unticked members, then saves.
// The first person that cannot be found or change stops the walk; nothing of it is saved.
Result<void> saveMembership(int groupRecordID, const EntryList &rows);

}
