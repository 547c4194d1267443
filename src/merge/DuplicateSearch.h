#pragma once

#include "addressbook/ABAddressBook.h"
#include "addressbook/ABRecord.h"
#include "addressbook/EntryData.h"
#include "platform/Result.h"

#include <QList>
#include <QString>

#include <optional>

// Finding people that share a name. Two names are equal when they differ only in letter case,
// diacritics or character width ("José" = "jose", full-width "Ａｎｎ" = "Ann"); blanks count, so
// "Ann " differs from "Ann", and a missing name equals nothing.
//
// Every person is compared with every other one in the sorted working set; a person is listed
// once, when its first partner is found, and its partners follow it in list order. The search
// computes exactly that list, but by grouping people on a folded comparison key instead of
// testing each pair, so it stays near-linear on large books.
namespace DuplicateSearch {

// The criteria, numbered as the selection list's merge mode numbers them.
enum Criterion { FirstAndLastName = 0, FirstName = 1, LastName = 2 };

// The comparison key of one name: two names are equal exactly when their keys are.
QString foldName(const QString &name);
// Name equality as defined above (a null text is a missing name).
bool namesEqual(const QString &a, const QString &b);

// The key a person is grouped under for a criterion; none when the person cannot have a
// duplicate by it (the needed names are missing).
std::optional<QString> personKey(const ABRecord &person, int criterion);

// The people of the working set that have a partner by `criterion`, in the order the list
// shows them (none where a person went missing meanwhile). Walks the book holding only
// identifiers; just the people with a partner are read again.
QList<ABRecordRef> duplicatePeople(ABAddressBook &book, int criterion, int sortOrdering);

struct Found {
    EntryList rows;
    int sortOrdering = 0;
};

// Opens a fresh handle, sorts the working set by name in the user's sort ordering and finds its
// duplicates. Fails with "Couldn't create addressbook." when the address book cannot be opened
// and "Couldn't retrieve contacts." when the chosen source is gone. Safe on a worker thread.
Result<Found> search(int criterion);

}

namespace DuplicateSearch {
// The selection list's search: the rows of search(), or none after showing the failure as an
// error alert on the main thread. Safe on a worker thread.
EntryList rowsForList(int criterion);
}
