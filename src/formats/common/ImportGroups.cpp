#include "ImportGroups.h"

#include "addressbook/ABSources.h"
#include "platform/DevLog.h"

void ImportGroups::add(ABAddressBook &book, const ABRecordRef &person, const QString &name)
{
    if (name.isEmpty() || (m_exchangeHasNone && ABSources::selectedSourceIsExchange()))
        return;
    const ABRecordRef group = groupNamed(book, name);
    QString error;
    if (!group)
        DevLog::log(QStringLiteral("addPersonToGroup group %1  NOT FOUND").arg(name));
    else if (!group->addMember(person, &error))
        DevLog::log(QStringLiteral("addPersonToGroup ABGroupAddMember failed %1").arg(error));
}

ABRecordRef ImportGroups::groupNamed(ABAddressBook &book, const QString &name)
{
    // Each group is looked up once: thousands of members must not search the groups each time.
    if (ABRecordRef known = m_groups.value(name))
        return known;
    ABRecordRef group = ABSources::findGroupByName(book, name);
    if (!group && ABSources::addGroupByName(book, name))
        group = ABSources::findGroupByName(book, name);
    if (group)
        m_groups.insert(name, group);
    return group;
}
