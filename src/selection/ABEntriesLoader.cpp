#include "ABEntriesLoader.h"

#include "addressbook/ABPersonCompare.h"
#include "addressbook/ABSources.h"
#include "platform/DevLog.h"
#include "platform/Localization.h"

#include <QCollatorSortKey>

#include <algorithm>
#include <numeric>
#include <thread>
#include <utility>
#include <vector>

namespace {

// Collects list rows with their sort names as people come, then puts the rows in name order:
// no record needs to stay loaded for the sort. Collation keys and the sort take as long as
// reading the people; a large list has them made in two halves on two threads, then merged.
class SortedRows {
public:
    SortedRows(int sortOrdering, bool ticked) : m_sortOrdering(sortOrdering), m_ticked(ticked) {}

    void add(const ABRecord &person)
    {
        const ABRecord::Names names = person.copyNames();
        if (EntryData::appendRow(m_rows, person, names, person.recordID(), m_ticked))
            m_sortNames.push_back(ABPersonSortName(names, m_sortOrdering));
    }

    // Rows of people that compare equal keep the order they came in.
    EntryList take()
    {
        const qsizetype count = qsizetype(m_sortNames.size());
        const qsizetype half = count >= kTwoThreadsFrom ? count / 2 : count;
        SortedHalf second;
        std::thread helper;
        if (half < count)
            helper = std::thread([&] { second.sort(m_sortNames, half, count); });
        SortedHalf first;
        first.sort(m_sortNames, 0, half);
        if (helper.joinable())
            helper.join();
        m_sortNames.clear();
        std::vector<qsizetype> order(static_cast<size_t>(count));
        auto keyOf = [&](qsizetype row) -> const QCollatorSortKey & {
            return row < half ? first.keyOf(row, 0) : second.keyOf(row, half);
        };
        // A stable merge: the first half's rows go first among equals.
        std::merge(first.order.begin(), first.order.end(), second.order.begin(), second.order.end(), order.begin(),
                   [&](qsizetype x, qsizetype y) { return keyOf(x).compare(keyOf(y)) < 0; });
        EntryList sorted;
        sorted.reserve(qMax<qsizetype>(50, m_rows.size()));
        for (qsizetype index : order)
            sorted.append(std::move(m_rows[index]));
        m_rows.clear();
        return sorted;
    }

private:
    static constexpr qsizetype kTwoThreadsFrom = 4096;

    // The rows from..to in order of their collation keys, made with a collator of its own (one
    // is not to be shared between threads).
    struct SortedHalf {
        std::vector<QCollatorSortKey> keys;
        std::vector<qsizetype> order; // indexes of all rows

        const QCollatorSortKey &keyOf(qsizetype row, qsizetype from) const { return keys[size_t(row - from)]; }

        void sort(std::vector<QString> &names, qsizetype from, qsizetype to)
        {
            const QCollator collator = ABPersonNameCollator();
            keys.reserve(size_t(to - from));
            for (qsizetype row = from; row < to; ++row)
                keys.push_back(collator.sortKey(std::exchange(names[size_t(row)], QString())));
            order.resize(size_t(to - from));
            std::iota(order.begin(), order.end(), from);
            std::stable_sort(order.begin(), order.end(),
                             [&](qsizetype x, qsizetype y) { return keyOf(x, from).compare(keyOf(y, from)) < 0; });
        }
    };

    int m_sortOrdering;
    bool m_ticked;
    EntryList m_rows;
    std::vector<QString> m_sortNames;
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
