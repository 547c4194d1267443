#include "BookQueries.h"

ABRecordRef BookQueries::personNamed(ABAddressBook &book, const QString &lastName)
{
    for (const ABRecordRef &person : book.copyArrayOfAllPeople()) {
        if (person->copyText(kABPersonLastNameProperty) == lastName)
            return person;
    }
    return nullptr;
}

QStringList BookQueries::groupsOf(ABAddressBook &book, const ABRecordRef &person)
{
    QStringList names;
    for (const ABRecordRef &group : book.copyArrayOfAllGroups()) {
        if (group->copyArrayOfAllMemberIDs().contains(person->recordID()))
            names.append(group->copyText(kABGroupNameProperty));
    }
    return names;
}
