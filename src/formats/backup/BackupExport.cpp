#include "BackupExport.h"

#include "ABRecordSerializer.h"
#include "addressbook/ABSources.h"
#include "formats/common/ExportOutput.h"
#include "formats/common/GroupNames.h"
#include "formats/common/SelectionWalk.h"
#include "platform/DevLog.h"
#include "platform/KeyedArchiver.h"
#include "platform/WriteBehind.h"
#include "shell/Documents.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <optional>
#include <utility>
#include <vector>

namespace {

const char *const kOperation = "exportDataBIN";

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

// An earlier recovery file holds the only copy of the people deleted then: it moves aside,
// named after the time it was written (trash-20240131-142502.vnbin), before the new one takes
// its name. Answers where it went (empty when there was none), nothing when it cannot be moved.
std::optional<QString> keepEarlierRecoveryFile(const QString &path)
{
    const QFileInfo earlier(path);
    // Only a file is an earlier recovery file; anything else stays where it is (and the new
    // file cannot be written over it).
    if (!earlier.isFile())
        return QString();
    const QString stem = earlier.dir().filePath(earlier.completeBaseName() + QLatin1Char('-')
                                                + earlier.lastModified().toString(QStringLiteral("yyyyMMdd-HHmmss")));
    const QString extension = QLatin1Char('.') + earlier.suffix();
    QString kept = stem + extension;
    for (int namesake = 2; QFileInfo::exists(kept); ++namesake)
        kept = stem + QLatin1Char('-') + QString::number(namesake) + extension;
    if (QFile::rename(path, kept))
        return kept;
    DevLog::log(QStringLiteral("%1 cannot move %2 to %3").arg(QLatin1String(kOperation), path, kept));
    return std::nullopt;
}

} // namespace

int exportDataBIN(const QString &path, const SelectedPeople &people, ProgressTarget *progress, bool deleteMode, BinExportReport *report)
{
    const int total = people.count();
    ABAddressBookRef book = ABSources::openAddressBook(kOperation);
    if (!book)
        return 0;
    const GroupMemberships groupsOf = deleteMode ? GroupMemberships() : GroupMemberships(*book);

    // Written beside the target as it goes and renamed over it at the end: a failed export
    // leaves the earlier file as it was.
    QSaveFile file(path);
    bool writing = file.open(QIODevice::WriteOnly);
    KeyedArchiver::DataListWriter archive(file);
    WriteBehind writeBehind(file);
    QList<ABRecordID> written;
    // The people are archived by slices on two threads (a blob each, made by the thread's own
    // archive writer) and their blobs come back in the order of the selection. A person's log
    // lines are made only for a log that goes somewhere, on the thread that archives the person.
    const bool logging = DevLog::isEnabled();
    auto makeWriter = [&groupsOf, logging](ExportOutput &out) {
        return [&out, &groupsOf, logging](const ABRecord &person) {
            const ABRecordID id = person.recordID();
            const QStringList groups = groupsOf.namesOf(id);
            if (logging) {
                DevLog::log(QStringLiteral("BINGO recid %1 %2").arg(id).arg(person.copyCompositeName()));
                for (const QString &name : groups)
                    DevLog::log(QStringLiteral("SAVE GROUP: %1").arg(name));
            }
            // A person that cannot be archived leaves no bytes, and is not written.
            if (const std::optional<QByteArray> blob = ABRecordSerializer::personToData(person, groups))
                out << *blob;
        };
    };
    const QList<ABRecordID> &ids = people.ids();
    const bool readInFull = SelectionWalk::writeSelectedPeople(
        *book, people, progress,
        [&](qsizetype position, QByteArrayView blob) {
            if (writing && !blob.isEmpty()) {
                writing = archive.append(QByteArray::fromRawData(blob.data(), blob.size()));
                written.append(ids[position]);
            }
            writeBehind.advance();
        },
        makeWriter);
    writing = writing && readInFull;
    book.reset();

    auto failed = [&file] {
        DevLog::log(QStringLiteral("%1 ERROR NSKeyedArchiver %2").arg(QLatin1String(kOperation), file.errorString()));
        return -1;
    };
    // QSaveFile::commit does not report a failed flush of its own buffer: flush first.
    if (!writing || !archive.finish() || !file.flush())
        return failed();
    std::optional<QString> earlierKeptAs;
    if (deleteMode && !(earlierKeptAs = keepEarlierRecoveryFile(path)))
        return -1;
    if (!file.commit()) {
        // Nothing was deleted: the earlier recovery file is the latest one again.
        if (earlierKeptAs && !earlierKeptAs->isEmpty())
            QFile::rename(*earlierKeptAs, path);
        return failed();
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

int BackupFiles::deleteWithRecoveryFile(const SelectedPeople &people, ProgressTarget *progress, BinExportReport *report)
{
    return exportDataBIN(trashPath(), people, progress, true, report);
}
