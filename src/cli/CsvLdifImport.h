#pragma once

#include "platform/Arguments.h"

#include <QString>

// Imports of CSV and LDIF files from the command line, for `vennaro import` and the
// import-csv / import-ldif commands. FILE is a path, or a name in the documents folder.
// Both print the result line ("3 records added." …) and answer the exit status.
namespace CsvLdifImport {
// Prints the mapping ("0002 Email -> Email", then "N of M mapped"); applies --guess and
// --map "COLUMN=Field,COLUMN=-,…" (COLUMN: header text or column number; "-": not mapped);
// imports when every column is mapped, or with --yes when at least one is.
int importCsvFile(const QString &file, const Arguments &args);
int importLdifFile(const QString &file, const Arguments &args);
}
