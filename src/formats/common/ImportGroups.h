#pragma once

#include "addressbook/ABAddressBook.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

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
    // A member is held as a record until the address book wrote it (a large import writes as
    // it reads), then by its identifier only, so that the import does not keep every person.
    struct Member {
        ABRecordRef person;
        ABRecordID id = kABRecordInvalidID;
        QString name;
    };
    void keepWrittenByIdentifier();

    QStringList m_names;
    QSet<QString> m_seen;
    QList<Member> m_members;
    qsizetype m_firstHeld = 0; // members before it are kept by identifier
};
