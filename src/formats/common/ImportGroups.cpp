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
    // Members kept by identifier are read a block at a time, in one pass each, and let go again.
    for (qsizetype first = 0; first < m_members.size(); first += kBlock) {
        book->releaseUnusedRecords();
        const QList<Member> block = m_members.mid(first, kBlock);
        QList<ABRecordID> ids;
        for (const Member &member : block)
            ids.append(member.person ? kABRecordInvalidID : member.id);
        const QList<ABRecordRef> read = book->peopleWithRecordIDs(ids);
        for (qsizetype i = 0; i < block.size(); ++i) {
            const Member &member = block[i];
            ABRecordRef group = groups.value(member.name);
            const ABRecordRef &person = member.person ? member.person : read[i];
            QString error;
            if (!group)
                DevLog::log(QStringLiteral("addPersonToGroup group %1  NOT FOUND").arg(member.name));
            else if (!person || person->recordID() == kABRecordInvalidID || !group->addMember(person, &error))
                DevLog::log(QStringLiteral("addPersonToGroup ABGroupAddMember failed %1").arg(error));
        }
    }
    QString error;
    if (!book->save(&error))
        DevLog::log(QStringLiteral("%1 ABAddressBookSave error: %2").arg(QString::fromUtf8(operation), error));
}
