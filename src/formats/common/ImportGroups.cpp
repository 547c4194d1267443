#include "ImportGroups.h"

#include "addressbook/ABSources.h"
#include "platform/DevLog.h"

#include <QHash>

namespace {
// Members are looked at in blocks of the size the address book writes additions in.
constexpr qsizetype kBlock = 1000;
}

void ImportGroups::add(const ABRecordRef &person, const QString &name)
{
    if (name.isEmpty() || ABSources::selectedSourceIsExchange())
        return;
    auto seen = m_seen.constFind(name);
    if (seen == m_seen.cend()) {
        seen = m_seen.insert(name);
        m_names.append(name);
    }
    // The name text is shared with the group's entry, not held once per member.
    m_members.append({person, kABRecordInvalidID, *seen});
    if (m_members.size() % kBlock == 0)
        keepWrittenByIdentifier();
}

void ImportGroups::keepWrittenByIdentifier()
{
    // The book writes additions in the order they were made: the written ones come first.
    for (; m_firstHeld < m_members.size(); ++m_firstHeld) {
        Member &member = m_members[m_firstHeld];
        if (member.person->recordID() == kABRecordInvalidID)
            return;
        member.id = member.person->recordID();
        member.person.reset();
    }
}

void ImportGroups::createMissingGroups(ABAddressBook &book) const
{
    for (const QString &name : m_names) {
        if (!ABSources::groupExists(book, name))
            ABSources::addGroupByName(book, name);
    }
}

void ImportGroups::addMembers(const char *operation) const
{
    if (m_members.isEmpty())
        return;
    ABAddressBookRef book = ABSources::openAddressBook(operation);
    if (!book)
        return;
    // Each group is looked up once: thousands of members must not search the groups each time.
    QHash<QString, ABRecordRef> groups;
    for (const QString &name : m_names)
        groups.insert(name, ABSources::findGroupByName(*book, name));
    // Members are added by identifier: the people need not be read again, and the save leaves
    // out any that is gone by then.
    for (const Member &member : m_members) {
        const ABRecordRef &group = groups[member.name];
        const ABRecordID id = member.person ? member.person->recordID() : member.id;
        QString error;
        if (!group)
            DevLog::log(QStringLiteral("addPersonToGroup group %1  NOT FOUND").arg(member.name));
        else if (!group->addMemberWithRecordID(id, &error))
            DevLog::log(QStringLiteral("addPersonToGroup ABGroupAddMember failed %1").arg(error));
    }
    QString error;
    if (!book->save(&error))
        DevLog::log(QStringLiteral("%1 ABAddressBookSave error: %2").arg(QString::fromUtf8(operation), error));
}
