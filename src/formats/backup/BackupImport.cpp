#include "BackupImport.h"

#include "ABRecordSerializer.h"
#include "addressbook/ABSources.h"
#include "formats/common/ImportGroups.h"
#include "formats/common/ImportOutcome.h"
#include "formats/common/ImportValues.h"
#include "platform/DevLog.h"
#include "platform/KeyedDataListReader.h"
#include "platform/KeyedUnarchiver.h"
#include "shell/AppData.h"

#include <QFile>

#include <functional>
#include <optional>
#include <utility>

namespace {

const char *const kOperation = "importDataBIN";

void log(const QString &text)
{
    DevLog::log(QLatin1String(kOperation) + QLatin1Char(' ') + text);
}

// The person blobs of a .vnbin file, or an Error when the file is no such archive.
Result<QVariantList> readBlobs(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Error{file.errorString()};
    Result<QVariant> root = KeyedUnarchiver::unarchive(file.readAll());
    if (!root)
        return Error{root.error()};
    if (root->metaType().id() != QMetaType::QVariantList)
        return Error{QStringLiteral("the archive does not hold a list of persons")};
    return root->toList();
}

// `blobAt(i)` gives the i-th of `count` person blobs, none when it cannot be read.
int importBlobs(qsizetype count, const std::function<std::optional<QByteArray>(qsizetype)> &blobAt, uint32_t importMask,
                ProgressTarget *progress)
{
    QString openError;
    ABAddressBookRef book = ABSources::openAddressBook(kOperation, &openError);
    if (!book)
        return ImportOutcome::failure(openError);
    const ABRecordRef source = ABSources::selectedSource(*book);
    int created = 0;
    ImportGroups groups;
    for (qsizetype i = 0; i < count; ++i) {
        QStringList groupNames;
        const std::optional<QByteArray> blob = blobAt(i);
        ABRecordRef person = blob ? ABRecordSerializer::createPersonFromData(*blob, source, &groupNames) : nullptr;
        QString error;
        if (!person) {
            log(QStringLiteral("newperson ERROR"));
            continue;
        }
        if (importMask & FieldFilter::Marker)
            ImportValues::appendMarker(person);
        if (!book->addRecord(person, &error)) {
            log(QStringLiteral("ABAddressBookAddRecord %1").arg(error));
            continue;
        }
        ++created;
        if (progress)
            progress->setProgress(double(created) / double(count));
        for (const QString &name : std::as_const(groupNames))
            groups.add(person, name);
    }
    groups.createMissingGroups(*book);
    if (created > 0) {
        if (progress)
            progress->savingData();
        QString error;
        if (!book->save(&error)) {
            log(QStringLiteral("ABAddressBookSave %1").arg(error));
            return ImportOutcome::failure(error);
        }
    }
    book.reset();
    groups.addMembers(kOperation);
    return created;
}

} // namespace

int importDataBIN(const QString &path, uint32_t importMask, ProgressTarget *progress)
{
    log(path);
    int result = -1;
    // A plain list of blobs is read one blob at a time; any other archive is read whole.
    if (std::unique_ptr<KeyedDataListReader> list = KeyedDataListReader::open(path)) {
        result = importBlobs(list->count(), [&list](qsizetype i) { return list->item(i); }, importMask, progress);
    } else if (Result<QVariantList> blobs = readBlobs(path); !blobs) {
        log(QStringLiteral("ERROR NSKeyedUnarchiver %1").arg(blobs.error()));
    } else {
        // Each blob is let go once read, so the file's contents and the new persons are not
        // both held in full.
        result = importBlobs(blobs->size(), [&blobs](qsizetype i) { return std::exchange((*blobs)[i], QVariant()).toByteArray(); },
                             importMask, progress);
    }
    DevLog::log(QStringLiteral("%1 %2").arg(QLatin1String(kOperation)).arg(__LINE__));
    return result;
}
