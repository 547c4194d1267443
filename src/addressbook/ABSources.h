#pragma once

#include "ABAddressBook.h"

#include <QList>
#include <QString>

// The address-book sources the program may work on, and the group lookups of the importers.
// The source list is process-wide, built on first use from the address book's sources:
// choice 0 is "All", then one choice per listed source. The selected index (0 = all) is set
// only by the main menu's source popup.
namespace ABSources {

// A fresh handle for one operation; on failure logs "%s ABCreate error" with `operation`
// and answers none (callers report "Couldn't create addressbook."), with the reason in `error`.
ABAddressBookRef openAddressBook(const char *operation, QString *error = nullptr);

int choiceCount();
QString choiceName(int row);
int selectedIndex();
void setSelectedIndex(int index);
// True when a source other than "All" is chosen.
bool isSourceSelected();
// The chosen source's record in `book`, none when no source is selected.
ABRecordRef selectedSource(ABAddressBook &book);
// The chosen source is an Exchange account (type 1 or 0x1000001).
bool selectedSourceIsExchange();

// The working set: the chosen source's people (groups), or all of them.
QList<ABRecordRef> peopleToWorkOn(ABAddressBook &book);
QList<ABRecordRef> groupsToWorkOn(ABAddressBook &book);
// The people of the working set one at a time, for walks over large books
// (ABAddressBook::forEachPerson), and how many they are.
void forEachPersonToWorkOn(ABAddressBook &book, const std::function<void(const ABRecordRef &person)> &visit);
int personCountToWorkOn(ABAddressBook &book);

// A new person in the chosen source (the default source when none is chosen). Not yet added.
ABRecordRef createPerson(ABAddressBook &book);
// Creates and adds a group (not saved); false with a log line on failure.
bool addGroupByName(ABAddressBook &book, const QString &name);
// Exact, case-sensitive name match among the groups to work on.
ABRecordRef findGroupByName(ABAddressBook &book, const QString &name);
bool groupExists(ABAddressBook &book, const QString &name);
// Adds the person to the named group (not saved). Always answers 0; failures are logged.
int addPersonToGroupByName(ABAddressBook &book, const ABRecordRef &person, const QString &name);

// Forgets the source list and the selection (another address book was opened; tests).
void reset();
// The display name of a source type ("On my device" …), empty for the skipped types.
QString displayNameForType(int type);

}
