#include "ABEntriesLoader.h"

#include "addressbook/ABPersonCompare.h"
#include "addressbook/ABSources.h"
#include "addressbook/NameOrder.h"
#include "platform/DevLog.h"
#include "platform/Localization.h"

#include <iterator>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

namespace {

// Walks the working set of `book` by the list-row rule and answers what `keep` makes of each
// listed person, in name order. Only the kept items and the packed sort keys stay in memory
// until the sort; no record stays loaded. The book is read in two parts on two threads, each
// part with items of its own, joined in identifier order before the sort.
template <typename Keep>
auto listedInOrder(ABAddressBook &book, int sortOrdering, Keep keep)
{
    using Item = decltype(keep(std::declval<const ABRecord &>(), std::declval<EntryData::Listed>()));
    struct Part {
        std::vector<Item> items;
        NameOrder order;
    };
    const int partCount = std::thread::hardware_concurrency() > 1 ? 2 : 1;
    std::vector<Part> parts(static_cast<size_t>(partCount));
    book.forEachPersonToReadInParts(ABSources::selectedSource(book), partCount, [&](int index, const ABRecord &person) {
        Part &part = parts[size_t(index)];
        const ABRecord::Names names = person.copyNames();
        std::optional<EntryData::Listed> listed = EntryData::listedNames(person, names);
        if (!listed)
            return;
        part.items.push_back(keep(person, std::move(*listed)));
        part.order.add(ABPersonSortName(names, sortOrdering));
    });
    std::vector<Item> items = std::move(parts[0].items);
    NameOrder order = std::move(parts[0].order);
    for (size_t index = 1; index < parts.size(); ++index) {
        std::move(parts[index].items.begin(), parts[index].items.end(), std::back_inserter(items));
        order.append(std::move(parts[index].order));
    }
    parts.clear();
    QList<Item> sorted;
    sorted.reserve(qsizetype(items.size()));
    for (qsizetype index : order.take())
        sorted.append(std::move(items[size_t(index)]));
    return sorted;
}

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
    // Two counts over the whole book: made only when the line goes somewhere.
    if (DevLog::isEnabled())
        DevLog::log(QStringLiteral("%1 records (%2)").arg(book->personCount()).arg(ABSources::personCountToWorkOn(*book)));
    Loaded loaded;
    loaded.sortOrdering = book->sortOrdering();
    loaded.rows = rowsForWorkingSet(*book, loaded.sortOrdering, ticked);
    return loaded;
}

EntryList ABEntriesLoader::rowsForWorkingSet(ABAddressBook &book, int sortOrdering, bool ticked)
{
    return listedInOrder(book, sortOrdering, [ticked](const ABRecord &person, EntryData::Listed listed) {
        return EntryData::makeRow(std::move(listed), person.recordID(), ticked);
    });
}

QList<ABRecordID> ABEntriesLoader::peopleOfWorkingSet(ABAddressBook &book, int sortOrdering)
{
    return listedInOrder(book, sortOrdering, [](const ABRecord &person, const EntryData::Listed &) { return person.recordID(); });
}

int ABEntriesLoader::currentSortOrdering()
{
    ABAddressBookRef book = ABSources::openAddressBook("currentSortOrdering");
    return book ? book->sortOrdering() : kABPersonSortByFirstName;
}
