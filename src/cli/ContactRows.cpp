#include "ContactRows.h"

#include "selection/ABEntriesLoader.h"

#include <QSet>
#include <QStringList>


QList<ABRecordID> ContactRows::workingSet(ABAddressBook &book)
{
    return ABEntriesLoader::peopleOfWorkingSet(book, book.sortOrdering());
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

Result<QList<ABRecordID>> ContactRows::select(const QList<ABRecordID> &people, const QList<ABRecordID> &ids)
{
    const QSet<ABRecordID> wanted(ids.begin(), ids.end());
    QList<ABRecordID> selected;
    QSet<ABRecordID> found;
    for (ABRecordID id : people) {
        if (wanted.contains(id)) {
            selected.append(id);
            found.insert(id);
        }
    }
    QStringList missing;
    for (ABRecordID id : ids) {
        if (!found.contains(id))
            missing.append(QString::number(id));
    }
    if (!missing.isEmpty())
        return Error{QStringLiteral("no person has the identifier %1").arg(missing.join(QStringLiteral(", ")))};
    return selected;
}
