#include "ExportEngine.h"

#include "formats/common/ProgressSteps.h"

#include "ExportRun.h"
#include "addressbook/ABSources.h"
#include "formats/common/TextConversion.h"
#include "platform/DevLog.h"
#include "shell/AppData.h"
#include "shell/FLog.h"
#include "shell/MainThread.h"

#include <QSaveFile>

namespace {

const char *formatName(int format)
{
    switch (format) {
    case ExportFormat::LDIF: return "LDIF";
    case ExportFormat::HTML: return "HTML";
    case ExportFormat::TXT: return "TXT";
    default: return "CSV";
    }
}

int failure(const QString &reason)
{
    DevLog::log(QStringLiteral("exportData %1").arg(reason));
    if (AppData::sharedInstance().logEnabled())
        FLogLine(QStringLiteral("Export failed: %1").arg(reason));
    return -1;
}

// Calls `visit` with the person of each selected row in list order, none for a row whose
// person has vanished. Rows are read in blocks, one read per block, and the records of a
// finished block are let go, so memory stays flat however many rows there are.
template<typename Visit>
void forEachSelectedPerson(ABAddressBook &book, const EntryList &rows, Visit visit)
{
    constexpr qsizetype kBlockSize = 1000;
    QList<ABRecordID> ids;
    ids.reserve(kBlockSize);
    auto readBlock = [&] {
        for (const ABRecordRef &person : book.peopleWithRecordIDs(ids))
            visit(person);
        ids.clear();
        book.releaseUnusedRecords();
    };
    for (const EntryDataRef &row : rows) {
        if (!row->selected)
            continue;
        ids.append(row->recID);
        if (ids.size() == kBlockSize)
            readBlock();
    }
    if (!ids.isEmpty())
        readBlock();
}

} // namespace

int exportData(const ExportRequest &request)
{
    ExportContext context;
    context.format = request.format;
    context.mask = request.mask;
    context.layout = request.layout;
    context.charSet = request.charSet;
    for (const EntryDataRef &row : request.entries)
        context.recordCount += row->selected ? 1 : 0;

    ABAddressBookRef book = ABSources::openAddressBook("exportData");
    if (!book)
        return -1;
    // Written beside the target and renamed over it at the end, so a failed export never
    // leaves a half-written file nor destroys an older one.
    QSaveFile file(request.path);
    if (!file.open(QIODevice::WriteOnly))
        return failure(QStringLiteral("cannot create %1: %2").arg(request.path, file.errorString()));
    ExportOutput out(file);
    std::unique_ptr<RecordPrinter> printer = createRecordPrinter(request.format, out, context);
    if (!printer)
        return failure(QStringLiteral("format %1 has no printers").arg(request.format));

    const bool logEnabled = AppData::sharedInstance().logEnabled();
    if (logEnabled) {
        FLogLine(QStringLiteral("Export - mode: %1 mask: %2 recs: %3 delete: NO")
                     .arg(QLatin1String(formatName(request.format)), QString::number(request.mask, 16).toUpper())
                     .arg(context.recordCount));
    }
    ExportText dnSuffix = request.dnSuffix ? TextConversion::convert(*request.dnSuffix, request.charSet) : std::nullopt;
    ExportRun run(*book, *printer, context, logEnabled, dnSuffix);

    if (printer->needsCountingPass()) {
        forEachSelectedPerson(*book, request.entries, [&](const ABRecordRef &person) {
            if (person)
                run.writeRecord(*person, ExportRun::CountingPass);
        });
    }
    printer->prologue();
    int written = 0;
    ProgressSteps steps;
    forEachSelectedPerson(*book, request.entries, [&](const ABRecordRef &person) {
        if (!person)
            return;
        ++written;
        const double progress = double(written) / context.recordCount;
        if (request.progress && steps.moves(progress))
            MainThread::callOnMainAndWait([&] { request.progress->setProgress(progress); });
        run.writeRecord(*person, ExportRun::WritingPass);
    });
    printer->epilogue();
    book.reset();
    if (!out.flush() || !file.commit())
        return failure(QStringLiteral("cannot write %1: %2").arg(request.path, file.errorString()));
    return context.recordCount;
}
