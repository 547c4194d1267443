// `vennaro groups`: the group list and the members screen on the command line.

#include "Command.h"
#include "groups/GroupStore.h"
#include "platform/Localization.h"

#include <QSet>

#include <optional>

namespace {

// A group by record identifier, else by its exact name.
std::optional<GroupData> findGroup(const QString &word)
{
    const QList<GroupData> groups = GroupStore::loadGroups();
    bool isNumber = false;
    const int id = word.toInt(&isNumber);
    for (const GroupData &group : groups) {
        if (isNumber && group.recID == id)
            return group;
    }
    for (const GroupData &group : groups) {
        if (group.name == word)
            return group;
    }
    return std::nullopt;
}

bool parseIDs(const QString &text, QSet<int> &ids)
{
    for (const QString &word : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool ok = false;
        ids.insert(word.trimmed().toInt(&ok));
        if (!ok)
            return false;
    }
    return true;
}

int listGroups()
{
    for (const GroupData &group : GroupStore::loadGroups())
        Commands::out() << group.recID << '\t' << group.name << '\n';
    return 0;
}

int addGroup(const QString &name)
{
    if (name.isEmpty())
        return Commands::fail(QStringLiteral("groups add: give a name"));
    Result<int> created = GroupStore::createGroup(name);
    if (!created)
        return Commands::fail(created.error());
    Commands::out() << *created << Qt::endl;
    return 0;
}

int deleteGroup(const GroupData &group)
{
    Result<void> removed = GroupStore::deleteGroup(group.recID);
    return removed ? 0 : Commands::fail(removed.error());
}

int listMembers(const GroupData &group)
{
    Result<GroupStore::Members> members = GroupStore::loadMembers(group.recID);
    if (!members)
        return Commands::fail(members.error());
    if (members->rows.isEmpty()) {
        Commands::err() << L("KNoGroupData") << Qt::endl;
        return 1;
    }
    for (const EntryDataRef &row : std::as_const(members->rows))
        Commands::out() << (row->selected ? "[x]" : "[ ]") << '\t' << row->recID << '\t' << row->name << '\n';
    return 0;
}

int setMembers(const GroupData &group, const Arguments &args)
{
    QSet<int> add;
    QSet<int> remove;
    if (!parseIDs(args.value(QStringLiteral("add")), add) || !parseIDs(args.value(QStringLiteral("remove")), remove))
        return Commands::fail(QStringLiteral("groups set: --add and --remove take record identifiers, separated by commas"));
    Result<GroupStore::Members> members = GroupStore::loadMembers(group.recID);
    if (!members)
        return Commands::fail(members.error());
    QSet<int> unknown = add + remove;
    for (const EntryDataRef &row : std::as_const(members->rows)) {
        const bool touched = add.contains(row->recID) || remove.contains(row->recID);
        unknown.remove(row->recID);
        if (!touched)
            continue;
        // The members screen refuses the tap on such a person.
        if (row->sourceType == 1)
            return Commands::fail(L("KExchangeTypeError"));
        if (add.contains(row->recID))
            row->selected = true;
        if (remove.contains(row->recID))
            row->selected = false;
    }
    if (!unknown.isEmpty())
        return Commands::fail(QStringLiteral("groups set: no person %1 in the list").arg(*unknown.cbegin()));
    if (!GroupStore::hasChanges(members->rows)) {
        Commands::err() << L("KNothingChanged") << Qt::endl;
        return 1;
    }
    Result<void> saved = GroupStore::saveMembership(group.recID, members->rows);
    return saved ? 0 : Commands::fail(saved.error());
}

int runGroups(const Arguments &args)
{
    const QStringList &words = args.positional;
    if (words.isEmpty())
        return listGroups();
    const QString &action = words.first();
    if (action == QLatin1String("add"))
        return words.size() == 2 ? addGroup(words.at(1)) : Commands::fail(QStringLiteral("groups add: give one name"));
    if (action != QLatin1String("delete") && action != QLatin1String("members") && action != QLatin1String("set"))
        return Commands::fail(QStringLiteral("groups: unknown action \"%1\" (see vennaro groups --help)").arg(action));
    if (words.size() != 2)
        return Commands::fail(QStringLiteral("groups %1: give one group name or identifier").arg(action));
    const std::optional<GroupData> group = findGroup(words.at(1));
    if (!group)
        return Commands::fail(L("KErrGroupNotFound"));
    if (action == QLatin1String("delete"))
        return deleteGroup(*group);
    if (action == QLatin1String("members"))
        return listMembers(*group);
    return setMembers(*group, args);
}

} // namespace

VENNARO_COMMAND({QStringLiteral("groups"), QStringLiteral("list, add and delete groups, and change their members"),
                 QStringLiteral("Usage: vennaro groups                       one \"ID<TAB>name\" line per group\n"
                                "       vennaro groups add NAME              prints the new group's identifier\n"
                                "       vennaro groups delete NAME|ID\n"
                                "       vennaro groups members NAME|ID       \"[x]\" or \"[ ]\"<TAB>ID<TAB>name per person\n"
                                "       vennaro groups set NAME|ID [--add ID,...] [--remove ID,...]\n\n"
                                "Works on all sources. `set` saves nothing when one change fails, and exits with\n"
                                "status 1 when nothing changes."),
                 {QStringLiteral("add"), QStringLiteral("remove")},
                 {},
                 runGroups});
