#pragma once

#include "formats/common/SelectionWalk.h"
#include "formats/common/ProgressTarget.h"

#include <QString>

// What a .vnbin write did, for callers that report more than the answer.
struct BinExportReport {
    int written = 0; // person blobs in the file
    int removed = 0; // persons removed from the address book (delete mode)
};

// Writes the selected people, in their order, to a .vnbin file at `path`, each
// with the names of its groups; people who are gone are skipped. The file is replaced
// atomically: a failed write leaves an older file as it was. Progress goes to `progress`
// (may be null) as done ÷ selected.
//
// In delete mode no group names are written, an existing file at `path` is first renamed to
// NAME-YYYYMMDD-HHMMSS.vnbin (the time it was written), and the written persons are removed
// from the address book only after the file is safely on disk.
//
// Answers the number of selected people; 0 when the address book cannot be opened; -1 when
// the file cannot be written (nothing is removed then) or the removals cannot be saved.
int exportDataBIN(const QString &path, const SelectedPeople &people, ProgressTarget *progress, bool deleteMode,
                  BinExportReport *report = nullptr);

namespace BackupFiles {
// The recovery file that every delete writes: trash.vnbin in the documents folder.
QString trashPath();
// Deletes the selected people after writing them to the recovery file;
// answers as exportDataBIN in delete mode.
int deleteWithRecoveryFile(const SelectedPeople &people, ProgressTarget *progress, BinExportReport *report = nullptr);
}
