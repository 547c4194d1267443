#include "RecordPrinting.h"

#include "platform/DevLog.h"
#include "platform/Localization.h"

QString RecordPrinting::printEntries(const EntryList &rows, ProgressTarget *progress)
{
    // Bound to the export engine's print path when exporting lands; until then there is no
    // way to a printer.
    (void)progress;
    DevLog::log(QStringLiteral("printEntries: no print path for %1 rows").arg(rows.size()));
    return L("KNoPrinter");
}
