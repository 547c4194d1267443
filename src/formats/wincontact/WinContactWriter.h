#pragma once

#include "addressbook/EntryData.h"

#include <QString>

#include <cstdint>

class ProgressTarget;

namespace WinContactWriter {

// Writes each selected person as folderPath/<composite name>.contact (Windows Contact XML),
// in list order; a person who shares a name with an earlier one gets the next free file name
// (John_.contact …), a "/" in a name is replaced, and a person without a composite name or
// whose path would pass 255 bytes is skipped. `folderPath` must exist. Answers the number of
// selected rows, -1 when the address book cannot be opened.
int exportDataWin(const QString &folderPath, const EntryList &rows, uint32_t mask, int charSet,
                  ProgressTarget *progress);

}
