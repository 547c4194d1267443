#pragma once

#include <QString>

namespace ZipPackaging {
// Packs every file of documentsPath/folderName (not its subfolders) into
// documentsPath/zipFileName, each as the entry "folderName/file". A file that cannot be added
// is logged and left out. Answers 0, or -1 when the archive cannot be created.
int zipFolder(const QString &folderName, const QString &zipFileName, const QString &documentsPath);
}
