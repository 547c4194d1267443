#pragma once

#include "addressbook/EntryData.h"
#include "formats/common/ProgressTarget.h"

#include <QString>

#include <functional>

class QPrinter;
class PrintDialogHost;

// Printing contacts: the selected rows are exported as an HTML page in print layout
// ("print.html" in the documents folder), which is read back, deleted and printed.
namespace ContactPrinting {

enum class Outcome { Printed, Cancelled, NoPrinter, NoDialog, Failed };

QString printFilePath();

// Worker thread: exportData into print.html with HTML, layout 999, the settings' export
// mask and character set. Answers exportData's answer.
int exportPrintFile(const EntryList &rows, ProgressTarget *progress);

// True when Qt offers any printer; printing to a PDF file counts.
bool isPrintingAvailable();

// Main thread: reads print.html (in the character set it was written in), deletes it and
// prints it through `dialog`. "Printer is not available!" is shown when there is no printer
// at all; without a dialog host "Couldn't get shared UIPrintInteractionController!" is logged.
Outcome printExportedFile(PrintDialogHost *dialog);

// Lays the page out on `printer` with margins of 72 points and at most 432 points of text
// width, and prints the pages the printer's range asks for. Answers the pages printed; 0 when
// the printer cannot be used (logged "FAILED! due to error in domain … with error code …").
int printPage(const QString &html, QPrinter &printer);

// The whole print action: exports on a worker thread, then on the main thread calls
// `exported` (the list unlocks there) and prints through the current dialog host; `done`
// receives the outcome.
void printContacts(const EntryList &rows, ProgressTarget *progress, std::function<void()> exported,
                   std::function<void(Outcome)> done = {});

}
