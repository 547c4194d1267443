#include "ABEntriesLoader.h"

#include "addressbook/ABPersonCompare.h"
#include "addressbook/ABSources.h"
#include "platform/DevLog.h"
#include "platform/Localization.h"

#include <QCollatorSortKey>

#include <algorithm>
#include <numeric>
#include <vector>

namespace {

// Collects list rows with their collation keys as people come, then puts the rows in name
// order: no record needs to stay loaded for the sort.
class SortedRows {
public:
    SortedRows(int sortOrdering, bool ticked) : m_collator(ABPersonNameCollator()), m_sortOrdering(sortOrdering), m_ticked(ticked) {}

    void add(const ABRecord &person)
    {
        const ABRecord::Names names = person.copyNames();
        if (EntryData::appendRow(m_rows, person, names, person.recordID(), m_ticked))
            m_keys.push_back(m_collator.sortKey(ABPersonSortName(names, m_sortOrdering)));
    }

    // Rows of people that compare equal keep the order they came in.
    EntryList take()
    {
        std::vector<qsizetype> order(m_keys.size());
        std::iota(order.begin(), order.end(), qsizetype(0));
        std::stable_sort(order.begin(), order.end(),
                         [this](qsizetype x, qsizetype y) { return m_keys[size_t(x)].compare(m_keys[size_t(y)]) < 0; });
        m_keys.clear();
        EntryList sorted;
        sorted.reserve(qMax<qsizetype>(50, m_rows.size()));
        for (qsizetype index : order)
            sorted.append(std::move(m_rows[index]));
        m_rows.clear();
        return sorted;
    }

private:
    QCollator m_collator;
    int m_sortOrdering;
    bool m_ticked;
    EntryList m_rows;
    std::vector<QCollatorSortKey> m_keys;
};

} // namespace

Result<ABEntriesLoader::Loaded> ABEntriesLoader::loadWorkingSet(bool ticked)
{
    ABAddressBookRef book = ABSources::openAddressBook("internalLoadData");
    if (!book)
        return Error{L("KErrCreateAddrBook")};
    // A source chosen on the main menu that has since disappeared must not widen the list to
    // every source: the user asked for that one account only.
    if (ABSources::isSourceSelected() && !ABSources::selectedSource(*book))
        return Error{L("KErrCreateAllpeople")};
    DevLog::log(QStringLiteral("%1 records (%2)").arg(book->personCount()).arg(ABSources::personCountToWorkOn(*book)));
    Loaded loaded;
    loaded.sortOrdering = book->sortOrdering();
    loaded.rows = rowsForWorkingSet(*book, loaded.sortOrdering, ticked);
    return loaded;
}

EntryList ABEntriesLoader::rowsForWorkingSet(ABAddressBook &book, int sortOrdering, bool ticked)
{
    SortedRows rows(sortOrdering, ticked);
    book.forEachPersonToRead(ABSources::selectedSource(book), [&rows](const ABRecord &person) { rows.add(person); });
    return rows.take();
}

int ABEntriesLoader::currentSortOrdering()
{
    ABAddressBookRef book = ABSources::openAddressBook("currentSortOrdering");
    return book ? book->sortOrdering() : kABPersonSortByFirstName;
}
