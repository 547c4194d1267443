#include "FolderExport.h"

#include "formats/wincontact/ZipPackaging.h"
#include "platform/DevLog.h"
#include "shell/Documents.h"

#include <QDir>
#include <QFileInfo>

namespace {

// Removes whatever is at `path` (a folder is replaced, not merged) and makes an empty folder.
bool makeEmptyFolder(const QString &path)
{
    const QFileInfo info(path);
    if (info.isDir() && !info.isSymLink()) {
        if (!QDir(path).removeRecursively())
            return false;
    } else if (info.exists() || info.isSymLink()) {
        if (!QFile::remove(path))
            return false;
    }
    return QDir().mkpath(path);
}

}

bool FolderExport::isSafeName(const QString &name)
{
    return !name.isEmpty() && !name.contains(QLatin1Char('/')) && !name.contains(QChar(QChar::Null)) && name != QLatin1String(".")
           && name != QLatin1String("..");
}

FolderExport::Outcome FolderExport::writeZipped(const QString &name, const std::function<int(const QString &)> &write)
{
    const QString documents = Documents::getDocumentsDir();
    const QString folder = documents + QLatin1Char('/') + name;
    Outcome outcome;
    if (!makeEmptyFolder(folder)) {
        DevLog::log(QStringLiteral("export: cannot make the folder %1").arg(folder));
        return outcome;
    }
    outcome.folderMade = true;
    outcome.answer = write(folder);
    if (outcome.answer >= 0)
        outcome.packaged = ZipPackaging::zipFolder(name, name + QStringLiteral(".zip"), documents) == 0;
    QDir(folder).removeRecursively();
    return outcome;
}
