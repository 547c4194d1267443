#pragma once

#include "addressbook/EntryData.h"

#include <QList>
#include <QStringList>

// The alphabetic sections of a row list. A row's key is the first character of its lastname
// when sorting by last name, else of its name; a section starts at the first row and at every
// row whose key differs, exactly and case-sensitively, from the previous section's key.
// Sections are never merged, so a key that comes back later opens a new section.
struct EntrySections {
    QStringList titles;  // one key per section, in list order
    QList<int> offsets;  // first row of each section, then the total row count

    static EntrySections build(const EntryList &rows, int sortOrdering);
    // The first character of a text, a whole character even outside the basic plane.
    static QString firstCharacter(const QString &text);
};
