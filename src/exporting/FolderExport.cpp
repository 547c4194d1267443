#include "FolderExport.h"

#include "formats/wincontact/ZipPackaging.h"
#include "platform/DevLog.h"
#include "shell/Documents.h"

#include <QTemporaryDir>

bool FolderExport::isSafeName(const QString &name)
{
    return !name.isEmpty() && !name.contains(QLatin1Char('/')) && !name.contains(QChar(QChar::Null)) && name != QLatin1String(".")
           && name != QLatin1String("..");
}

FolderExport::Outcome FolderExport::writeZipped(const QString &name, const std::function<int(const QString &)> &write)
{
    const QString documents = Documents::getDocumentsDir();
    // A folder of our own, so that nothing the user keeps under the typed name is touched;
    // it goes when the export ends.
    QTemporaryDir folder(documents + QStringLiteral("/.export-XXXXXX"));
    Outcome outcome;
    if (!folder.isValid()) {
        DevLog::log(QStringLiteral("export: cannot make a folder in %1: %2").arg(documents, folder.errorString()));
        return outcome;
    }
    outcome.folderMade = true;
    outcome.answer = write(folder.path());
    // A writer that wrote nothing (or failed) leaves an older archive in place.
    if (outcome.answer > 0)
        outcome.packaged = ZipPackaging::zipFolder(folder.path(), name, documents + QLatin1Char('/') + name + QStringLiteral(".zip")) == 0;
    return outcome;
}
