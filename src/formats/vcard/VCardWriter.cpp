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

#include <memory>
#include <vector>

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
        // The cards are made on two threads, each part with a composer of its own.
        struct Part {
            explicit Part(const VCardComposer &model) : composer(model) {}
            ExportOutput out;
            VCardComposer composer;
        };
        std::vector<std::unique_ptr<Part>> parts;
        std::vector<SelectionWalk::PartWriter> writers;
        for (int index = 0; index < SelectionWalk::partCount(); ++index) {
            Part &part = *parts.emplace_back(std::make_unique<Part>(composer));
            writers.push_back({part.out, [&part](const ABRecord &person) {
                                   part.out << part.composer.compose(person, QDateTime::currentDateTimeUtc()) << "\r\n";
                               }});
        }
        return SelectionWalk::writeSelectedPeople(book, people, progress, out, writers);
    });
    if (total < 0)
        return -1;
    // QSaveFile::commit does not report a failed flush of its own buffer: flush first.
    if (total == 0 && people.count() > 0)
        DevLog::log(QStringLiteral("exportDataVCARD Error reading the address book"));
    else if (!out.flush() || !file.flush() || !file.commit())
        DevLog::log(QStringLiteral("exportDataVCARD Error writing file %1: %2").arg(path, file.errorString()));
    else
        return total;
    return 0;
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
