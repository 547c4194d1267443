#pragma once

#include "formats/common/SelectionWalk.h"

#include <QString>

#include <cstdint>

class ProgressTarget;

// The vCard writer: the selected people as the program's own vCard 2.1 cards.
namespace VCardWriter {

// With `singleFile`, every card goes into basePath + ".vcf" (an empty line after each card),
// which is replaced only once it is written whole; otherwise `basePath` is an existing folder
// and each card goes into its own file there, named after the person (RecordFile). `mask` is
// the export field filter, `charSet` 0 for UTF-8 and any other value for ISO 8859-1. Progress
// (done / total) goes to `progress` when given.
// Answers, for the single file, the number of selected people, or 0 when the file cannot be
// written; for separate files, the number of files written. -1 when the address book cannot
// be opened (then no file is touched).
int exportDataVCARD(const QString &basePath, const SelectedPeople &people, uint32_t mask, int charSet, bool singleFile,
                    ProgressTarget *progress);

}
