#include "VCardWriter.h"

#include "RecordFile.h"
#include "VCardComposer.h"

#include "addressbook/ABSources.h"
#include "formats/common/ExportOutput.h"
#include "formats/common/GroupNames.h"
#include "formats/common/ProgressTarget.h"
#include "formats/common/SelectionWalk.h"
#include "platform/DevLog.h"
#include "shell/AppData.h"
#include "shell/FLog.h"

#include <QSaveFile>


namespace {

using CardWalk = std::function<bool(ABAddressBook &book, const VCardComposer &composer)>;

// Opens the address book and hands it, with the run's composer, to `walk`, which writes the
// selected people. Answers the number of selected people, -1 when the address book cannot be
// opened, 0 when the walk could not read them all.
int walkCards(const SelectedPeople &people, uint32_t mask, int charSet, const CardWalk &walk)
{
    const int total = people.count();
    if (AppData::sharedInstance().logEnabled())
        FLogLine(QStringLiteral("Export - mode: VCARD  mask: %1 recs: %2").arg(QString::number(mask, 16).toUpper()).arg(total));

    ABAddressBookRef book = ABSources::openAddressBook("exportDataVCARD");
    if (!book)
        return -1;
    const VCardComposer composer(mask, charSet, (mask & FieldFilter::Groups) ? GroupMemberships(*book) : GroupMemberships());
    return walk(*book, composer) ? total : 0;
}

// All cards in one file, written beside it and renamed over it at the end: a failure leaves
// the previous export as it was.
int writeSingleFile(const QString &path, const SelectedPeople &people, uint32_t mask, int charSet, ProgressTarget *progress)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        DevLog::log(QStringLiteral("exportDataVCARD Error creating file %1").arg(path));
        if (progress)
            progress->setProgress(1.0);
        return 0;
    }
    ExportOutput out(file);
    const int total = walkCards(people, mask, charSet, [&](ABAddressBook &book, const VCardComposer &composer) {
        // Each part makes its cards with a composer of its own.
        return SelectionWalk::writeSelectedPeople(book, people, progress, out, [&composer](ExportOutput &partOut) {
            return [&partOut, partComposer = composer](const ABRecord &person) {
                partOut << partComposer.compose(person, QDateTime::currentDateTimeUtc()) << "\r\n";
            };
        });
    });
    if (total < 0)
        return -1;
    if (total == 0 && people.count() > 0) {
        DevLog::log(QStringLiteral("exportDataVCARD Error reading the address book"));
        return 0;
    }
    // QSaveFile::commit does not report a failed flush of its own buffer: flush first.
    if (!out.flush() || !file.flush() || !file.commit()) {
        DevLog::log(QStringLiteral("exportDataVCARD Error writing file %1: %2").arg(path, file.errorString()));
        return 0;
    }
    return total;
}

int writeFilePerRecord(const QString &folder, const SelectedPeople &people, uint32_t mask, int charSet, ProgressTarget *progress)
{
    RecordFile files(folder, QStringLiteral(".vcf"));
    const int total = walkCards(people, mask, charSet, [&](ABAddressBook &book, const VCardComposer &composer) {
        SelectionWalk::forEachSelectedPerson(book, people, progress, [&](const ABRecord &person) {
            const QString name = person.copyCompositeName();
            if (name.isEmpty()) {
                DevLog::log(QStringLiteral("createFileForRecord NO CompositeName"));
                return;
            }
            files.write(name, composer.compose(person, QDateTime::currentDateTimeUtc()), "createFileForRecord");
        });
        return true;
    });
    return total < 0 ? -1 : files.answer();
}

} // namespace

int VCardWriter::exportDataVCARD(const QString &basePath, const SelectedPeople &people, uint32_t mask, int charSet,
                                 bool singleFile, ProgressTarget *progress)
{
    if (singleFile)
        return writeSingleFile(basePath + QStringLiteral(".vcf"), people, mask, charSet, progress);
    return writeFilePerRecord(basePath, people, mask, charSet, progress);
}
