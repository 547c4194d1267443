#pragma once

#include "formats/common/ProgressTarget.h"

#include <QString>

#include <cstdint>

// Reads a .vnbin file into the address book: one new person per blob, in the selected
// source (else the default one), each last name marked " (*)" when bit 0 of `importMask`
// is set; missing groups are made, and memberships are added after the persons are saved.
// Blobs that are not persons are skipped. Progress goes to `progress` (may be null).
//
// Answers the number of persons created, -1 when the file is not a .vnbin archive, or
// ImportOutcome::failure when the address book cannot be opened or the persons cannot be saved
// (the address book is then unchanged).
int importDataBIN(const QString &path, uint32_t importMask, ProgressTarget *progress);
