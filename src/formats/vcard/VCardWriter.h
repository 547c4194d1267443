#pragma once

#include "addressbook/ABRecord.h"
#include "addressbook/EntryData.h"

#include <QFile>
#include <QString>

#include <cstdint>
#include <memory>

class ProgressTarget;

// The vCard writer: the selected rows as the program's own vCard 2.1 cards.
namespace VCardWriter {

// With `singleFile`, every card goes into basePath + ".vcf" (an empty line after each card);
// otherwise `basePath` is an existing folder and each card goes into its own file there
// (createFileForRecord). `mask` is the export field filter, `charSet` 0 for UTF-8 and any other
// value for ISO 8859-1. Progress (done / total) goes to `progress` when given.
// Answers the number of selected rows (whether or not each card could be written), 0 when the
// single file cannot be created, -1 when the address book cannot be opened.
int exportDataVCARD(const QString &basePath, const EntryList &rows, uint32_t mask, int charSet, bool singleFile,
                    ProgressTarget *progress);

// Opens (creating) the file for one record: folder + "/" + composite name + ".vcf", with the
// next free name when a file of that name exists (John_.vcf …) and "/" in the name replaced.
// None (with a log line) when the person has no composite name, the path would be longer than
// 255 bytes or the file cannot be created.
std::unique_ptr<QFile> createFileForRecord(const QString &folderPath, const ABRecord &person, int charSet);

}
