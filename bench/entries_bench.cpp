// The contact selection list over a large address book: loading (read, rows, sort, sections)
// and one search keystroke. Goals: load <= 1 s, one keystroke <= 50 ms.

#include "benchsupport.h"

#include "addressbook/ABSources.h"
#include "addressbook/DemoSeeder.h"
#include "selection/ABEntriesLoader.h"
#include "selection/ABEntriesViewController.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdio>

namespace {

constexpr int kPeople = 100000;

// The address book read on its own, and what the list adds to it.
void measureParts()
{
    ABAddressBookRef book = ABSources::openAddressBook("bench");
    {
        BenchTimer timer(QStringLiteral("working set read only"));
        int people = 0;
        ABSources::forEachPersonToWorkOn(*book, [&people](const ABRecordRef &) { ++people; });
        timer.report(people);
    }
    EntryList rows;
    {
        BenchTimer timer(QStringLiteral("rows and sort of the working set (read one person at a time)"));
        rows = ABEntriesLoader::rowsForWorkingSet(*book, book->sortOrdering(), true);
        timer.report(rows.size());
    }
    BenchTimer timer(QStringLiteral("sections of the rows"));
    EntrySections sections = EntrySections::build(rows, book->sortOrdering());
    timer.report(rows.size());
}

void loadAndSearch(ABEntriesViewController &list, const char *ordering)
{
    std::printf("  sorted by %s name\n", ordering);
    measureParts();
    {
        BenchTimer timer(QStringLiteral("list load (read, rows, sort, sections)"));
        list.internalLoadData(1);
        timer.report(list.rows().size());
    }
    std::printf("   %lld rows, %lld sections\n", qlonglong(list.rows().size()), qlonglong(list.sectionIndexes().size()));
    for (const char *text : {"a", "an", "ann"}) {
        BenchTimer timer(QStringLiteral("search keystroke \"%1\"").arg(QLatin1String(text)));
        list.searchTextChanged(QString::fromLatin1(text));
        timer.report(list.rows().size());
        std::printf("   %lld hits\n", qlonglong(list.searchListOfIndexes().size()));
    }
    list.searchTextChanged(QString());
}

}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::tempPath() + QStringLiteral("/entries_bench");
    QDir().mkpath(folder);
    BenchScratch scratch(folder, QStringLiteral("entries"));
    {
        BenchTimer timer(QStringLiteral("seeding (not a goal)"));
        ABAddressBookRef book = ABAddressBook::create();
        DemoSeeder::Options options;
        options.count = kPeople;
        Result<int> added = DemoSeeder::seed(*book, options);
        if (!added) {
            std::fprintf(stderr, "seeding failed: %s\n", qPrintable(added.error()));
            return 1;
        }
        timer.report(*added);
    }
    ABEntriesViewController list;
    list.setMode(ABEntriesViewController::ModeExport);
    loadAndSearch(list, "first");
    ABAddressBook::create()->setSortOrdering(kABPersonSortByLastName);
    loadAndSearch(list, "last");
    return 0;
}
