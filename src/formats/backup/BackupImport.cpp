#include "BackupImport.h"

#include "ABRecordSerializer.h"
#include "addressbook/ABSources.h"
#include "formats/common/ImportGroups.h"
#include "formats/common/ImportOutcome.h"
#include "formats/common/ImportValues.h"
#include "platform/DevLog.h"
#include "platform/KeyedDataListReader.h"
#include "platform/KeyedUnarchiver.h"
#include "platform/OrderedBatches.h"
#include "shell/AppData.h"

#include <QFile>

#include <algorithm>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace {

const char *const kOperation = "importDataBIN";
// Blobs a helper thread reads and makes into people at a time.
constexpr qsizetype kReadTogether = 256;

void log(const QString &text)
{
    DevLog::log(QLatin1String(kOperation) + QLatin1Char(' ') + text);
}

// The person blobs of a .vnbin file, or an Error when the file is no such archive.
Result<QVariantList> readArchivedBlobs(const QString &path)
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

// A person read from its blob, with the names of its groups; no person when the blob could
// not be read.
struct ReadPerson {
    ABRecordRef person;
    QStringList groupNames;
};

using Blobs = std::vector<std::optional<QByteArray>>;
// The person blobs from `first` on, `count` of them; none where one cannot be read. Called on
// helper threads, for different blobs at once.
using BlobReader = std::function<Blobs(qsizetype first, qsizetype count)>;

// The blobs `blobAt` gives from `first` on, `count` of them.
template <typename BlobAt>
Blobs blobsFrom(qsizetype first, qsizetype count, const BlobAt &blobAt)
{
    Blobs blobs;
    blobs.reserve(size_t(count));
    for (qsizetype i = first; i < first + count; ++i)
        blobs.push_back(blobAt(i));
    return blobs;
}

int importBlobs(qsizetype count, const BlobReader &readBlobs, uint32_t importMask, ProgressTarget *progress)
{
    QString openError;
    ABAddressBookRef book = ABSources::openAddressBook(kOperation, &openError);
    if (!book)
        return ImportOutcome::failure(openError);
    const ABRecordRef source = ABSources::selectedSource(*book);
    int created = 0;
    ImportGroups groups;
    // Helper threads read the blobs of a batch and make them into people; the people come
    // back in the order of the file and are added here.
    using Batch = std::pair<qsizetype, qsizetype>; // the first blob, and how many
    using People = std::vector<ReadPerson>;
    OrderedBatches<Batch, People> reading(
        [&source, &readBlobs, importMask](const Batch &batch) {
            const Blobs blobs = readBlobs(batch.first, batch.second);
            People people;
            people.reserve(blobs.size());
            for (const std::optional<QByteArray> &blob : blobs) {
                ReadPerson read;
                if (blob)
                    read.person = ABRecordSerializer::createPersonFromData(*blob, source, &read.groupNames);
                if (read.person) {
                    if (importMask & FieldFilter::Marker)
                        ImportValues::appendMarker(read.person);
                    // Packed where it was made: the values are freed on the thread that made them.
                    read.person->packValues();
                }
                people.push_back(std::move(read));
            }
            return people;
        },
        [&](People &&people) {
            for (const ReadPerson &read : people) {
                QString error;
                if (!read.person) {
                    log(QStringLiteral("newperson ERROR"));
                    continue;
                }
                if (!book->addRecord(read.person, &error)) {
                    log(QStringLiteral("ABAddressBookAddRecord %1").arg(error));
                    continue;
                }
                ++created;
                if (progress)
                    progress->setProgress(double(created) / double(count));
                for (const QString &name : read.groupNames)
                    groups.add(*book, read.person, name);
            }
        });
    for (qsizetype first = 0; first < count; first += kReadTogether)
        reading.put({first, std::min(kReadTogether, count - first)});
    reading.finish();
    if (created > 0) {
        if (progress)
            progress->savingData();
        QString error;
        if (!book->save(&error)) {
            log(QStringLiteral("ABAddressBookSave %1").arg(error));
            return ImportOutcome::failure(error);
        }
    }
    return created;
}

} // namespace

int importDataBIN(const QString &path, uint32_t importMask, ProgressTarget *progress)
{
    log(path);
    int result = -1;
    // A plain list of blobs is read one blob at a time; any other archive is read whole.
    if (std::unique_ptr<KeyedDataListReader> list = KeyedDataListReader::open(path)) {
        const KeyedDataListReader &items = *list;
        result = importBlobs(items.count(), [&items](qsizetype first, qsizetype count) {
            KeyedDataListReader::Window window;
            return blobsFrom(first, count, [&](qsizetype i) { return items.item(i, window); });
        }, importMask, progress);
    } else if (Result<QVariantList> archived = readArchivedBlobs(path); !archived) {
        log(QStringLiteral("ERROR NSKeyedUnarchiver %1").arg(archived.error()));
    } else {
        // Each blob is let go once read, so the file's contents and the new persons are not
        // both held in full. Each is taken by one thread, from an array that no longer changes.
        QVariant *values = archived->data();
        result = importBlobs(archived->size(), [values](qsizetype first, qsizetype count) {
            return blobsFrom(first, count, [values](qsizetype i) -> std::optional<QByteArray> {
                return std::exchange(values[i], QVariant()).toByteArray();
            });
        }, importMask, progress);
    }
    DevLog::log(QStringLiteral("%1 %2").arg(QLatin1String(kOperation)).arg(__LINE__));
    return result;
}
