#pragma once

#include "platform/Arguments.h"

#include <QString>

// `vennaro import` of a CSV file: maps its columns as the mapping screen does.
namespace CsvLdifImport {
// Prints the mapping ("0002 Email -> Email", then "N of M mapped"); applies --guess and
// --map "COLUMN=Field,COLUMN=-,…" (COLUMN: header text or column number; "-": not mapped);
// imports when every column is mapped, or with --yes when at least one is. Prints the result
// line and answers the exit status.
int importCsvFile(const QString &path, const Arguments &args);
}
