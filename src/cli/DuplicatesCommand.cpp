// `vennaro duplicates`: the rows the contact selection list shows in its merge mode.

#include "Command.h"
#include "merge/DuplicateSearch.h"
#include "platform/Localization.h"
#include "selection/ABEntriesLoader.h"

namespace {

int runDuplicates(const Arguments &args)
{
    const QString by = args.value(QStringLiteral("by"), QStringLiteral("both"));
    EntryList rows;
    if (by == QLatin1String("all")) {
        Result<ABEntriesLoader::Loaded> loaded = ABEntriesLoader::loadWorkingSet(false);
        if (!loaded)
            return Commands::fail(loaded.error());
        rows = std::move(loaded->rows);
    } else {
        int criterion = -1;
        if (by == QLatin1String("both"))
            criterion = DuplicateSearch::FirstAndLastName;
        else if (by == QLatin1String("first"))
            criterion = DuplicateSearch::FirstName;
        else if (by == QLatin1String("last"))
            criterion = DuplicateSearch::LastName;
        else
            return Commands::fail(QStringLiteral("duplicates: --by takes first, last, both or all"));
        Result<DuplicateSearch::Found> found = DuplicateSearch::search(criterion);
        if (!found)
            return Commands::fail(found.error());
        rows = std::move(found->rows);
    }
    if (rows.isEmpty()) {
        Commands::err() << L(by == QLatin1String("all") ? "KNoDataFound" : "KNoDuplicatesFound") << Qt::endl;
        return 1;
    }
    for (const EntryDataRef &row : std::as_const(rows))
        Commands::out() << row->recID << '\t' << row->name << '\n';
    return 0;
}

} // namespace

VENNARO_COMMAND({QStringLiteral("duplicates"), QStringLiteral("list the people that share a name, as the merge list shows them"),
                 QStringLiteral("Usage: vennaro duplicates [--by first|last|both|all]\n\n"
                                "One \"ID<TAB>name\" line per person that has a duplicate by first name, last name or\n"
                                "both (the default); names match without regard to letter case, accents or width.\n"
                                "--by all lists everybody. Exit status 1 when nobody is listed."),
                 {QStringLiteral("by")},
                 {},
                 runDuplicates});
