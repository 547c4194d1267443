#pragma once

#include "addressbook/ABAddressBook.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <utility>

// The group pass of a reader: group names met while reading and the (person, group) pairs,
// applied after the people are saved, because a person gets its identifier only then.
class ImportGroups {
public:
    // Remembers that `person` belongs to the group `name`. Ignored when the chosen source is an
    // Exchange account (it has no groups) and for an empty name.
    void add(const ABRecordRef &person, const QString &name);
    bool isEmpty() const { return m_members.isEmpty(); }

    // Adds every named group that `book` does not have yet (not saved).
    void createMissingGroups(ABAddressBook &book) const;
    // Opens a second address book, puts each person into its group in the order met, and saves.
    // Failures are logged with `operation`; the people stay imported.
    void addMembers(const char *operation) const;

private:
    QStringList m_names;
    QSet<QString> m_seen;
    QList<std::pair<ABRecordRef, QString>> m_members;
};
