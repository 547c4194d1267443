#pragma once

#include <QString>

// File names for one record inside an export folder.
namespace RecordFile {
// Paths longer than this many bytes (in the file system's encoding) are not created.
inline constexpr int kMaxPathBytes = 255;

// folder + "/" + name + extension, where a "/" (or NUL) in the name becomes "-" so that the
// file stays in the folder, and where, while a file of that name already exists, one more "_"
// goes before the extension (John.vcf, John_.vcf, John__.vcf …) so that people who share a
// name do not overwrite each other. Empty when the name is empty or the path is too long.
QString freePath(const QString &folder, const QString &name, const QString &extension);

// True when `path` fits in kMaxPathBytes.
bool fits(const QString &path);
}
