#pragma once

#include "addressbook/ABAddressBook.h"

#include <QHash>
#include <QString>

// The group pass of a reader: puts each person it added into the groups named for it, in the
// same address book handle, making the groups the book does not have yet. The people and
// their memberships are then saved together, in the import's one transaction; the handle
// keeps the members it has written by identifier, so a large import does not hold its people.
class ImportGroups {
public:
    // With `exchangeHasNone`, names are ignored while the chosen source is an Exchange account,
    // which has no groups (the LDIF, CSV and backup readers); the vCard reader keeps them.
    explicit ImportGroups(bool exchangeHasNone = true) : m_exchangeHasNone(exchangeHasNone) {}

    // Puts `person`, added to `book`, into the group `name`; an empty name is ignored, and
    // failures are logged.
    void add(ABAddressBook &book, const ABRecordRef &person, const QString &name);

private:
    ABRecordRef groupNamed(ABAddressBook &book, const QString &name);

    bool m_exchangeHasNone;

    QHash<QString, ABRecordRef> m_groups; // found or made during this import
};
