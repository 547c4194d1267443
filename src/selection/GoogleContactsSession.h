#pragma once

#include <QList>
#include <QStringList>

class ABEntriesViewController;

// The Google contacts exchange as the selection list uses it (modes 3 and 4). The session
// works on the main thread; it adds fetched rows to the list, reports progress with
// gcSetProgress and ends a fetch with internalLoadData(0), an import or export with
// gcImportDone.
class GoogleContactsSession {
public:
    virtual ~GoogleContactsSession() = default;
    // Fetches all groups and contacts of the signed-in account into `list`.
    virtual void fetchAllGroupsAndContacts(ABEntriesViewController *list) = 0;
    // Imports the Google contacts with these identifiers into the address book.
    virtual void importGmailContacts(const QStringList &identifiers, ABEntriesViewController *list) = 0;
    // Exports the people with these record identifiers to the account.
    virtual void exportGmailContacts(const QList<int> &recordIDs, ABEntriesViewController *list) = 0;
};
