#include "EntrySections.h"

#include "addressbook/ABConstants.h"

EntrySections EntrySections::build(const EntryList &rows, int sortOrdering)
{
    EntrySections sections;
    sections.titles.reserve(26);
    sections.offsets.reserve(27);
    const bool byLast = sortOrdering == kABPersonSortByLastName;
    for (qsizetype index = 0; index < rows.size(); ++index) {
        const EntryData &row = *rows.at(index);
        QString key = firstCharacter(byLast ? row.lastname : row.name);
        if (sections.titles.isEmpty() || key != sections.titles.last()) {
            sections.titles.append(key);
            sections.offsets.append(int(index));
        }
    }
    sections.offsets.append(int(rows.size()));
    return sections;
}

QString EntrySections::firstCharacter(const QString &text)
{
    if (text.isEmpty())
        return QString();
    const bool pair = text.size() > 1 && text.at(0).isHighSurrogate() && text.at(1).isLowSurrogate();
    return text.left(pair ? 2 : 1);
}
