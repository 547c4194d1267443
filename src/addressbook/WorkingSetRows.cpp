#include "WorkingSetRows.h"

#include "ABSources.h"

#include <QCollator>

#include <algorithm>

EntryList loadWorkingSetRows(ABAddressBook &book)
{
    EntryList rows;
    for (const ABRecordRef &person : ABSources::peopleToWorkOn(book))
        EntryData::appendRow(rows, person, person->recordID(), true);
    QCollator collator;
    std::stable_sort(rows.begin(), rows.end(), [&](const EntryDataRef &a, const EntryDataRef &b) {
        int order = collator.compare(a->lastname, b->lastname);
        return order != 0 ? order < 0 : collator.compare(a->name, b->name) < 0;
    });
    return rows;
}
