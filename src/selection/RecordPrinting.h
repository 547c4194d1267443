#pragma once

#include "addressbook/EntryData.h"
#include "formats/common/ProgressTarget.h"

#include <QString>

#include <functional>

// Printing the ticked contacts of a list: the export engine's print path formats them as HTML
// ("print.html" in the documents folder, with the export field filter and character set) and
// hands the page to the print dialog (job name "Contacts"), removing the file once read.
namespace RecordPrinting {

// Runs on a worker thread and reaches the main thread itself for the print dialog
// (MainThread::callOnMainAndWait). Answers an empty text on success, else the text to warn
// the user with ("Printer is not available!" when there is no printer).
using Path = std::function<QString(const EntryList &rows, ProgressTarget *progress)>;

// The export engine's print path (exporting).
QString printEntries(const EntryList &rows, ProgressTarget *progress);

}
