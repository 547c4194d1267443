#pragma once

#include "addressbook/ABAddressBook.h"

#include <QStringList>

#include <span>
#include <vector>

// The names of the groups of the whole address book (all sources) that hold each person, in
// the book's group order: one walk over the groups for a whole export instead of one per
// record. Groups without a name are left out. The memberships are kept in one list sorted by
// person, so a book of a hundred thousand members costs no allocation per person.
class GroupMemberships {
public:
    struct Membership {
        ABRecordID person;
        int group; // index into names()
    };

    GroupMemberships() = default; // no groups
    explicit GroupMemberships(ABAddressBook &book);

    const QStringList &names() const { return m_names; }
    // The memberships of `person`, in the book's group order.
    std::span<const Membership> of(ABRecordID person) const;
    QStringList namesOf(ABRecordID person) const;

private:
    QStringList m_names;
    std::vector<Membership> m_memberships;
};
