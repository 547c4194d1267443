#include "GroupNames.h"

#include <algorithm>

GroupMemberships::GroupMemberships(ABAddressBook &book)
{
    for (const ABRecordRef &group : book.copyArrayOfAllGroups()) {
        const QString name = group->copyText(kABGroupNameProperty);
        if (name.isEmpty())
            continue;
        const int index = int(m_names.size());
        m_names.append(name);
        for (ABRecordID member : group->copyArrayOfAllMemberIDs())
            m_memberships.push_back({member, index});
    }
    // Stable: each person's groups stay in the book's order.
    std::stable_sort(m_memberships.begin(), m_memberships.end(),
                     [](const Membership &a, const Membership &b) { return a.person < b.person; });
}

std::span<const GroupMemberships::Membership> GroupMemberships::of(ABRecordID person) const
{
    const auto [first, last] = std::equal_range(m_memberships.begin(), m_memberships.end(), Membership{person, 0},
                                                [](const Membership &a, const Membership &b) { return a.person < b.person; });
    return {first, last};
}

QStringList GroupMemberships::namesOf(ABRecordID person) const
{
    QStringList names;
    for (const Membership &membership : of(person))
        names.append(m_names.at(membership.group));
    return names;
}
