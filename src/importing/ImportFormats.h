#pragma once

#include "platform/Result.h"

#include <QString>

#include <cstdint>
#include <functional>

class ProgressTarget;

// Which reader a contacts file goes to, for the file list, files handed in from outside and
// `vennaro import` alike.
namespace ImportFormats {
enum class Kind { Backup, VCard, Csv, Ldif };

// By the end of the name, in any letter case: .vnbin, .vcf, .csv; anything else is read as LDIF.
Kind kindOf(const QString &fileName);
// Backups cannot go into an Exchange source.
bool refusedForSelectedSource(Kind kind);

// A reader for one file, ready to run on any thread: answers the persons created, 0 for none,
// or an ImportOutcome failure (an unusable file, a failed save, a busy address book).
using Reader = std::function<int(ProgressTarget *)>;
// Prepares the reader of a Backup, VCard or Ldif file (CSV files need their column mapping
// first). A vCard file is read and unfolded here, so a file that is not cards fails at once
// with the reason; the others are opened when the reader runs.
Result<Reader> prepare(Kind kind, const QString &path, uint32_t importMask, int charSet);
}
