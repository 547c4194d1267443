#include "RecordPrinting.h"

#include "exporting/ContactPrinting.h"
#include "exporting/PrintDialogHost.h"
#include "platform/Localization.h"
#include "shell/MainThread.h"

QString RecordPrinting::printEntries(const EntryList &rows, ProgressTarget *progress)
{
    if (ContactPrinting::exportPrintFile(rows, progress) < 0)
        return L("KErrPrintExport");
    ContactPrinting::Outcome outcome = ContactPrinting::Outcome::Failed;
    MainThread::callOnMainAndWait([&outcome] { outcome = ContactPrinting::printExportedFile(PrintDialogHost::current()); });
    // A missing printer has been told to the user by the print path itself.
    return outcome == ContactPrinting::Outcome::Failed ? L("KErrPrintExport") : QString();
}
