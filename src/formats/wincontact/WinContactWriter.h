#pragma once

#include "formats/common/SelectionWalk.h"

#include <QString>

#include <cstdint>

class ProgressTarget;

namespace WinContactWriter {

// Writes each selected person as folderPath/<composite name>.contact (Windows Contact XML),
// in list order, with the file names of RecordFile (namesakes numbered, unsafe characters
// replaced); a person without a composite name is skipped. `folderPath` must exist. Answers
// the number of files written, -1 when the address book cannot be opened.
int exportDataWin(const QString &folderPath, const SelectedPeople &people, uint32_t mask, int charSet,
                  ProgressTarget *progress);

}
