#include "ExportEngine.h"

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
        for (const EntryDataRef &row : request.entries) {
            if (!row->selected)
                continue;
            if (ABRecordRef person = book->personWithRecordID(row->recID))
                run.writeRecord(*person, ExportRun::CountingPass);
        }
    }
    printer->prologue();
    int written = 0;
    for (const EntryDataRef &row : request.entries) {
        if (!row->selected)
            continue;
        ABRecordRef person = book->personWithRecordID(row->recID);
        if (!person)
            continue;
        ++written;
        if (request.progress) {
            const double progress = double(written) / context.recordCount;
            MainThread::callOnMainAndWait([&] { request.progress->setProgress(progress); });
        }
        run.writeRecord(*person, ExportRun::WritingPass);
    }
    printer->epilogue();
    book.reset();
    if (!out.flush() || !file.commit())
        return failure(QStringLiteral("cannot write %1: %2").arg(request.path, file.errorString()));
    return context.recordCount;
}
