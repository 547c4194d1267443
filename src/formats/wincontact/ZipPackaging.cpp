#include "ZipPackaging.h"

#include "ZipArchive.h"

#include "platform/DevLog.h"

#include <QDir>

int ZipPackaging::zipFolder(const QString &folderName, const QString &zipFileName, const QString &documentsPath)
{
    const QString archivePath = documentsPath + QLatin1Char('/') + zipFileName;
    ZipArchive archive;
    if (!archive.CreateZipFile2(archivePath)) {
        DevLog::log(QStringLiteral("Error creating zipfile %1").arg(archivePath));
        return -1;
    }
    const QDir folder(documentsPath + QLatin1Char('/') + folderName);
    const QStringList names = folder.entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &name : names) {
        if (!archive.addFileToZip(folder.filePath(name), folderName + QLatin1Char('/') + name))
            DevLog::log(QStringLiteral("Error ziping %1").arg(name));
    }
    if (!archive.CloseZipFile2())
        DevLog::log(QStringLiteral("Error closing zipfile %1").arg(archivePath));
    return 0;
}
