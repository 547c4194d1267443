#include "ZipPackaging.h"

#include "ZipArchive.h"

#include "formats/vcard/RecordFile.h"
#include "platform/DevLog.h"

#include <QDir>

int ZipPackaging::zipFolder(const QString &folderPath, const QString &entryFolder, const QString &archivePath)
{
    ZipArchive archive;
    if (!archive.CreateZipFile2(archivePath)) {
        DevLog::log(QStringLiteral("Error creating zipfile %1").arg(archivePath));
        return -1;
    }
    const QDir folder(folderPath);
    const QString entryPrefix = RecordFile::safeFileName(entryFolder) + QLatin1Char('/');
    const QStringList names = folder.entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &name : names) {
        // A missing entry is a lost contact: the archive is not finished without it.
        if (!archive.addFileToZip(folder.filePath(name), entryPrefix + RecordFile::safeFileName(name))) {
            DevLog::log(QStringLiteral("Error ziping %1").arg(name));
            return -1;
        }
    }
    if (!archive.CloseZipFile2()) {
        DevLog::log(QStringLiteral("Error closing zipfile %1").arg(archivePath));
        return -1;
    }
    return 0;
}
