#include "ExportEngine.h"

#include "ExportRun.h"
#include "addressbook/ABSources.h"
#include "formats/common/SelectionWalk.h"
#include "formats/common/TextConversion.h"
#include "platform/DevLog.h"
#include "shell/AppData.h"
#include "shell/FLog.h"

#include <QSaveFile>

#include <memory>

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

// The people's records, into `out` after the prologue. The log keeps its lines in list order:
// with it on, the records are written on this thread alone, one after the other.
bool writeRecords(ABAddressBook &book, const ExportRequest &request, ExportRun &run, const ExportContext &context, ExportOutput &out)
{
    if (run.logs()) {
        SelectionWalk::forEachSelectedPerson(book, request.people, request.progress,
                                             [&](const ABRecord &person) { run.writeRecord(person); });
        return true;
    }
    // Each part writes into memory with a printer and a run of its own.
    return SelectionWalk::writeSelectedPeople(book, request.people, request.progress, out, [&](ExportOutput &partOut) {
        std::shared_ptr<RecordPrinter> printer = createRecordPrinter(request.format, partOut, context);
        auto partRun = std::make_shared<ExportRun>(run.withPrinter(*printer));
        return [printer, partRun](const ABRecord &person) { partRun->writeRecord(person); };
    });
}

} // namespace

int exportData(const ExportRequest &request)
{
    ExportContext context;
    context.format = request.format;
    context.mask = request.mask;
    context.layout = request.layout;
    context.charSet = request.charSet;
    context.recordCount = request.people.count();

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

    if (printer->needsCountingPass())
        run.countColumns(request.people.ids());
    printer->prologue();
    if (!writeRecords(*book, request, run, context, out))
        return failure(QStringLiteral("cannot read every person of the address book"));
    printer->epilogue();
    book.reset();
    // QSaveFile::commit does not report a failed flush of its own buffer: flush first.
    if (!out.flush() || !file.flush() || !file.commit())
        return failure(QStringLiteral("cannot write %1: %2").arg(request.path, file.errorString()));
    return context.recordCount;
}
