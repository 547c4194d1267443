#include "GroupNames.h"

QHash<ABRecordID, QStringList> GroupNames::byPerson(ABAddressBook &book)
{
    QHash<ABRecordID, QStringList> names;
    for (const ABRecordRef &group : book.copyArrayOfAllGroups()) {
        const QString name = group->copyText(kABGroupNameProperty);
        if (name.isEmpty())
            continue;
        for (ABRecordID member : group->copyArrayOfAllMemberIDs())
            names[member].append(name);
    }
    return names;
}
