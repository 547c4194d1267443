#include "BackupExport.h"

#include "ABRecordSerializer.h"
#include "addressbook/ABSources.h"
#include "platform/DevLog.h"
#include "platform/KeyedArchiver.h"
#include "shell/Documents.h"

#include <QHash>
#include <QSaveFile>

#include <algorithm>
#include <optional>

namespace {

const char *const kOperation = "exportDataBIN";

// A handle keeps every record it loaded; a fresh one every so many rows keeps a large
// export from holding the whole address book in memory.
constexpr int kRowsPerHandle = 2000;

// Group names of every person of the whole address book, in the book's group order.
QHash<ABRecordID, QStringList> groupNamesByPerson(ABAddressBook &book)
{
    QHash<ABRecordID, QStringList> names;
    for (const ABRecordRef &group : book.copyArrayOfAllGroups()) {
        const QString name = group->copyText(kABGroupNameProperty);
        for (ABRecordID member : group->copyArrayOfAllMemberIDs())
            names[member].append(name);
    }
    return names;
}

// Removes the written persons in one handle and saves once.
bool removePersons(const QList<ABRecordID> &ids)
{
    ABAddressBookRef book = ABSources::openAddressBook(kOperation);
    if (!book)
        return false;
    QString error;
    for (ABRecordID id : ids) {
        ABRecordRef person = book->personWithRecordID(id);
        if (person && !book->removeRecord(person, &error)) {
            DevLog::log(QStringLiteral("%1 ABAddressBookRemoveRecord %2").arg(QLatin1String(kOperation), error));
            return false;
        }
    }
    if (!ids.isEmpty() && !book->save(&error)) {
        DevLog::log(QStringLiteral("%1 ABAddressBookSave %2").arg(QLatin1String(kOperation), error));
        return false;
    }
    return true;
}

bool writeAtomically(const QString &path, const QByteArray &bytes, QString *error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace

int exportDataBIN(const QString &path, const EntryList &rows, ProgressTarget *progress, bool deleteMode, BinExportReport *report)
{
    const int total = int(std::count_if(rows.begin(), rows.end(), [](const EntryDataRef &row) { return row->selected; }));
    ABAddressBookRef book = ABSources::openAddressBook(kOperation);
    if (!book)
        return 0;
    const QHash<ABRecordID, QStringList> groupsOf = deleteMode ? QHash<ABRecordID, QStringList>() : groupNamesByPerson(*book);

    QVariantList blobs;
    QList<ABRecordID> written;
    int done = 0;
    int inHandle = 0;
    for (const EntryDataRef &row : rows) {
        if (!row->selected)
            continue;
        if (++inHandle > kRowsPerHandle) {
            book = ABSources::openAddressBook(kOperation);
            if (!book)
                return 0;
            inHandle = 1;
        }
        ABRecordRef person = book->personWithRecordID(row->recID);
        if (!person)
            continue;
        DevLog::log(QStringLiteral("BINGO recid %1 %2").arg(row->recID).arg(row->name));
        ++done;
        if (progress)
            progress->setProgress(double(done) / double(total));
        const QStringList groups = groupsOf.value(row->recID);
        for (const QString &name : groups)
            DevLog::log(QStringLiteral("SAVE GROUP: %1").arg(name));
        if (std::optional<QByteArray> blob = ABRecordSerializer::personToData(person, groups)) {
            blobs.append(*blob);
            written.append(row->recID);
        }
    }
    book.reset();

    Result<QByteArray> archive = KeyedArchiver::archivedData(blobs);
    blobs.clear();
    QString error;
    if (!archive || !writeAtomically(path, *archive, &error)) {
        DevLog::log(QStringLiteral("%1 ERROR NSKeyedArchiver %2").arg(QLatin1String(kOperation), archive ? error : archive.error()));
        return -1;
    }
    if (report)
        report->written = int(written.size());
    if (!deleteMode)
        return total;
    // The recovery file is on disk: only now may the persons go.
    if (!removePersons(written))
        return -1;
    if (report)
        report->removed = int(written.size());
    return total;
}

QString BackupFiles::trashPath()
{
    return Documents::filePath(QStringLiteral("trash.vnbin"));
}

int BackupFiles::deleteWithRecoveryFile(const EntryList &rows, ProgressTarget *progress, BinExportReport *report)
{
    return exportDataBIN(trashPath(), rows, progress, true, report);
}
