#pragma once

#include "ExportPrinters.h"
#include "formats/common/SelectionWalk.h"
#include "formats/common/ProgressTarget.h"
#include "shell/AppData.h"

#include <QString>

#include <cstdint>
#include <optional>

// What to export and how: the arguments of exportData.
struct ExportRequest {
    QString path;                     // the file to create (an existing one is replaced)
    SelectedPeople people;            // written in this order
    int format = ExportFormat::HTML;  // ExportFormat::LDIF, HTML, TXT or CSV
    uint32_t mask = FieldFilter::Default; // the export field filter (AppData::flagsExp)
    int layout = 0;                   // LDIF schema 0-2, or ExportFormat::PrintLayout
    int charSet = 0;                  // 0 UTF-8, otherwise ISO 8859-1 (AppData::charSet)
    std::optional<QString> dnSuffix;  // LDIF entry heads only
    ProgressTarget *progress = nullptr; // receives written / selected after each record, on the main thread
};

// Writes the selected people into one file. Runs on the caller's (worker) thread with an
// address book handle of its own; progress goes to the main thread synchronously.
// Answers the number of selected people, whether or not each person could still be found
// (vanished ones are skipped), or -1 when the address book cannot be opened, the format has
// no printers, or the file cannot be created or written; then no file is left behind (an
// existing file of that name stays as it was) and the reason is logged.
int exportData(const ExportRequest &request);
