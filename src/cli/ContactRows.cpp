#include "ContactRows.h"

#include "addressbook/ABSources.h"
#include "selection/ABEntriesLoader.h"

#include <QSet>
#include <QStringList>

#include <algorithm>

EntryList ContactRows::workingSet(ABAddressBook &book)
{
    return ABEntriesLoader::rowsForWorkingSet(book, book.sortOrdering(), true);
}

Result<QList<ABRecordID>> ContactRows::parseIds(const QString &text)
{
    QList<ABRecordID> ids;
    for (const QString &word : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool ok = false;
        int id = word.trimmed().toInt(&ok);
        if (!ok || id < 0)
            return Error{QStringLiteral("\"%1\" is not a record identifier").arg(word)};
        ids.append(id);
    }
    if (ids.isEmpty())
        return Error{QStringLiteral("no record identifiers given")};
    return ids;
}

Result<void> ContactRows::select(EntryList &rows, const QList<ABRecordID> &ids)
{
    QSet<ABRecordID> wanted(ids.begin(), ids.end());
    QSet<ABRecordID> found;
    for (const EntryDataRef &row : rows) {
        row->selected = wanted.contains(row->recID);
        if (row->selected)
            found.insert(row->recID);
    }
    QStringList missing;
    for (ABRecordID id : ids) {
        if (!found.contains(id))
            missing.append(QString::number(id));
    }
    if (!missing.isEmpty())
        return Error{QStringLiteral("no person has the identifier %1").arg(missing.join(QStringLiteral(", ")))};
    return {};
}
