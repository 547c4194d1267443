#include "GroupStore.h"

#include "addressbook/ABPersonCompare.h"
#include "addressbook/ABSources.h"
#include "platform/DevLog.h"
#include "platform/Localization.h"

#include <QSet>

namespace {

QString sourceName(const ABRecordRef &source)
{
    return source->copyText(kABSourceNameProperty);
}

// Exchange accounts and the read-only directories hold no groups: the device refuses to
// create one there.
bool sourceHoldsGroups(int type)
{
    return type != kABSourceTypeExchange && type != kABSourceTypeExchangeGAL && type != kABSourceTypeLDAP &&
           type != kABSourceTypeCardDAVSearch;
}

// The text for a refused group creation (step "Couldn't create group.") or addition.
QString refusedText(int type, bool creating)
{
    if (type == kABSourceTypeExchange)
        return L(creating ? "KGroupExchangeNotCreated" : "KGroupExchangeNotAdded");
    if (type != 0 && type != -1)
        return L(creating ? "KGroupExternalNotCreated" : "KGroupExternalNotAdded").arg(type);
    return L(creating ? "KGroupNotCreated" : "KGroupNotAdded");
}

QString orText(const QString &error, const char *key)
{
    return error.isEmpty() ? L(key) : error;
}

void appendRows(EntryList &rows, QList<ABRecordRef> people, int sortOrdering, const QSet<ABRecordID> &members,
                int sourceType, int &memberCount)
{
    ABPersonSortPeopleByName(people, sortOrdering);
    for (const ABRecordRef &person : std::as_const(people)) {
        const qsizetype before = rows.size();
        const bool member = members.contains(person->recordID());
        EntryData::appendRow(rows, *person, person->recordID(), member);
        if (rows.size() == before)
            continue;
        EntryData &row = *rows.last();
        row.member = member;
        row.sourceType = sourceType;
        if (member)
            ++memberCount;
    }
}

} // namespace

QList<GroupData> GroupStore::loadGroups()
{
    QList<GroupData> groups;
    ABAddressBookRef book = ABSources::openAddressBook("loadentries");
    if (!book)
        return groups;
    const QList<ABRecordRef> records = ABSources::groupsToWorkOn(*book);
    if (records.isEmpty())
        DevLog::log(QStringLiteral("NO members"));
    for (const ABRecordRef &group : records) {
        const QString name = group->copyCompositeName();
        if (!name.isEmpty())
            groups.append({name, group->recordID()});
    }
    return groups;
}

Result<int> GroupStore::createGroup(const QString &name)
{
    ABAddressBookRef book = ABSources::openAddressBook("createGroup");
    if (!book)
        return Error{L("KErrCreateAddrBook")};
    ABRecordRef source = ABSources::isSourceSelected() ? ABSources::selectedSource(*book) : book->copyDefaultSource();
    int type = -1;
    if (source) {
        type = source->copyValue(kABSourceTypeProperty).toInt();
        DevLog::log(QStringLiteral("Found Source Type: %1 with ABSourceType %2").arg(sourceName(source)).arg(type));
    }
    ABRecordRef group = source && !sourceHoldsGroups(type) ? nullptr : ABRecord::createGroup(source);
    if (!group)
        return Error{refusedText(type, true)};
    QString error;
    if (!group->setValue(kABGroupNameProperty, name, &error))
        return Error{L("KErrSetValue")};
    if (!book->addRecord(group, &error))
        return Error{error.isEmpty() ? refusedText(type, false) : error};
    if (!book->save(&error))
        return Error{L("KErrSaveAddrBook")};
    return int(group->recordID());
}

Result<void> GroupStore::deleteGroup(int recordID)
{
    ABAddressBookRef book = ABSources::openAddressBook("deleteGroup");
    if (!book)
        return Error{L("KErrCreateAddrBook")};
    ABRecordRef group = book->groupWithRecordID(recordID);
    if (!group)
        return Error{L("KInvalidRecord")};
    QString error;
    if (!book->removeRecord(group, &error))
        return Error{orText(error, "KGroupNotRemoved")};
    if (!book->save(&error))
        return Error{orText(error, "KErrSaveAddrBook")};
    return {};
}

Result<GroupStore::Members> GroupStore::loadMembers(int groupRecordID)
{
    ABAddressBookRef book = ABSources::openAddressBook("loadGroupData");
    if (!book)
        return Error{L("KErrCreateAddrBook")};
    ABRecordRef group = book->groupWithRecordID(groupRecordID);
    if (!group)
        return Error{L("KErrGroupNotFound")};
    const QList<ABRecordID> memberIDs = group->copyArrayOfAllMemberIDs();
    const QSet<ABRecordID> members(memberIDs.cbegin(), memberIDs.cend());
    Members loaded;
    loaded.sortOrdering = book->sortOrdering();
    loaded.rows.reserve(50);
    if (ABSources::isSourceSelected()) {
        ABRecordRef source = ABSources::selectedSource(*book);
        if (!source)
            return Error{L("KErrCreateAllpeople")};
        appendRows(loaded.rows, book->copyArrayOfAllPeopleInSource(source), loaded.sortOrdering, members, 0, loaded.memberCount);
        return loaded;
    }
    for (const ABRecordRef &source : book->copyArrayOfAllSources()) {
        const int type = source->copyValue(kABSourceTypeProperty).toInt();
        DevLog::log(QStringLiteral("Found Source Type: %1 with ABSourceType %2 0x%3")
                        .arg(sourceName(source))
                        .arg(type)
                        .arg(QString::number(type, 16).toUpper()));
        QList<ABRecordRef> people = book->copyArrayOfAllPeopleInSource(source);
        DevLog::log(QStringLiteral("%1 records").arg(people.size()));
        appendRows(loaded.rows, std::move(people), loaded.sortOrdering, members, type, loaded.memberCount);
    }
    return loaded;
}

bool GroupStore::hasChanges(const EntryList &rows)
{
    for (const EntryDataRef &row : rows) {
        if (row->selected != row->member)
            return true;
    }
    return false;
}

Result<void> GroupStore::saveMembership(int groupRecordID, const EntryList &rows)
{
    ABAddressBookRef book = ABSources::openAddressBook("saveData");
    if (!book)
        return Error{L("KErrCreateAddrBook")};
    ABRecordRef group = book->groupWithRecordID(groupRecordID);
    if (!group)
        return Error{L("KErrGroupNotFound")};
    QString failure;
    for (const EntryDataRef &row : rows) {
        if (row->selected == row->member)
            continue;
        ABRecordRef person = book->personWithRecordID(row->recID);
        if (!person) {
            failure = L("KMemberNotFound");
            break;
        }
        QString error;
        if (row->selected) {
            if (!group->addMember(person, &error)) {
                failure = orText(error, "KMemberNotAdded");
                break;
            }
            DevLog::log(QStringLiteral("%1 MemberAdded").arg(row->name));
        } else {
            if (!group->removeMember(person, &error)) {
                failure = orText(error, "KMemberNotDeleted");
                break;
            }
            DevLog::log(QStringLiteral("%1 MemberDeleted").arg(row->name));
        }
    }
    if (!failure.isEmpty()) {
        // Nothing of a walk that stopped part-way may reach the database.
        book->revert();
        return Error{failure};
    }
    QString error;
    if (!book->save(&error))
        return Error{orText(error, "KErrABSave")};
    DevLog::log(QStringLiteral("saveData ABAddressBookSave OK"));
    return {};
}
