#pragma once

#include <QString>

namespace ZipPackaging {
// Packs every file of `folderPath` (not its subfolders) into the archive at `archivePath`,
// each as the entry "entryFolder/file" (both parts as safe file names). Answers 0, or -1
// (logged) when the archive cannot be created, a file cannot be added or the archive cannot
// be finished; then an older archive at that path stays as it was.
int zipFolder(const QString &folderPath, const QString &entryFolder, const QString &archivePath);
}
