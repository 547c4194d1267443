#include "ImportGroups.h"

#include "addressbook/ABSources.h"
#include "platform/DevLog.h"

#include <QHash>

void ImportGroups::add(const ABRecordRef &person, const QString &name)
{
    if (name.isEmpty() || ABSources::selectedSourceIsExchange())
        return;
    if (!m_seen.contains(name)) {
        m_seen.insert(name);
        m_names.append(name);
    }
    m_members.append({person, name});
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
    for (const auto &[person, name] : m_members) {
        ABRecordRef group = groups.value(name);
        // A saved person joins by its identifier: it need not be loaded into this handle again.
        QString error;
        if (!group)
            DevLog::log(QStringLiteral("addPersonToGroup group %1  NOT FOUND").arg(name));
        else if (person->recordID() == kABRecordInvalidID || !group->addMember(person, &error))
            DevLog::log(QStringLiteral("addPersonToGroup ABGroupAddMember failed %1").arg(error));
    }
    QString error;
    if (!book->save(&error))
        DevLog::log(QStringLiteral("%1 ABAddressBookSave error: %2").arg(QString::fromUtf8(operation), error));
}
