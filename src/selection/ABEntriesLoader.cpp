#include "ABEntriesLoader.h"

#include "addressbook/ABPersonCompare.h"
#include "addressbook/ABSources.h"
#include "platform/DevLog.h"
#include "platform/Localization.h"

Result<ABEntriesLoader::Loaded> ABEntriesLoader::loadWorkingSet(bool ticked)
{
    ABAddressBookRef book = ABSources::openAddressBook("internalLoadData");
    if (!book)
        return Error{L("KErrCreateAddrBook")};
    // A source chosen on the main menu that has since disappeared must not widen the list to
    // every source: the user asked for that one account only.
    if (ABSources::isSourceSelected() && !ABSources::selectedSource(*book))
        return Error{L("KErrCreateAllpeople")};
    QList<ABRecordRef> people = ABSources::peopleToWorkOn(*book);
    DevLog::log(QStringLiteral("%1 records (%2)").arg(book->personCount()).arg(people.size()));
    Loaded loaded;
    loaded.sortOrdering = book->sortOrdering();
    loaded.rows = rowsForPeople(std::move(people), loaded.sortOrdering, ticked);
    return loaded;
}

EntryList ABEntriesLoader::rowsForPeople(QList<ABRecordRef> people, int sortOrdering, bool ticked)
{
    ABPersonSortPeopleByName(people, sortOrdering);
    EntryList rows;
    rows.reserve(qMax<qsizetype>(50, people.size()));
    for (const ABRecordRef &person : std::as_const(people))
        EntryData::appendRow(rows, person, person->recordID(), ticked);
    return rows;
}

int ABEntriesLoader::currentSortOrdering()
{
    ABAddressBookRef book = ABSources::openAddressBook("currentSortOrdering");
    return book ? book->sortOrdering() : kABPersonSortByFirstName;
}
