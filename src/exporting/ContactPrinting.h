#pragma once

#include "addressbook/EntryData.h"
#include "formats/common/ProgressTarget.h"

#include <QString>

class PrintDialogHost;

// Printing contacts: the selected rows are exported as an HTML page in print layout
// ("print.html" in the documents folder), which is read back, deleted and handed to the
// print service of the window (PrintDialogHost).
namespace ContactPrinting {

enum class Outcome { Printed, Cancelled, NoPrinter, NoDialog, Failed };

QString printFilePath();

// Worker thread: exportData into print.html with HTML, layout 999, the settings' export
// mask and character set. Answers exportData's answer.
int exportPrintFile(const EntryList &rows, ProgressTarget *progress);

// Main thread: reads print.html (in the character set it was written in), deletes it and
// prints it through `dialog` as the job "Contacts". "Printer is not available!" is shown when
// there is no printer at all; without a dialog host "Couldn't get shared
// UIPrintInteractionController!" is logged.
Outcome printExportedFile(PrintDialogHost *dialog);

}
