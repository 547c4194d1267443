#pragma once

#include "addressbook/EntryData.h"
#include "formats/common/ProgressTarget.h"

#include <QString>

#include <cstdint>

// The .vnbin rows of `vennaro export` and `vennaro import`.
// Answers as exportDataBIN: the selected count, or -1 when the file could not be written.
int exportBin(const QString &path, const EntryList &rows, ProgressTarget &progress);
// Answers as importDataBIN: the persons created, or -1.
int importBin(const QString &path, uint32_t importMask, ProgressTarget &progress);
