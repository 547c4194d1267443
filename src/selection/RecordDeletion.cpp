#include "RecordDeletion.h"

#include "platform/DevLog.h"
#include "shell/Documents.h"

int RecordDeletion::deleteWithRecoveryFile(const EntryList &rows, const QString &recoveryPath, ProgressTarget *progress)
{
    // Bound to the backup writer's delete form (exportDataBIN) when formats/backup lands.
    // Until then nothing is removed: a delete without its recovery file would lose data.
    (void)rows;
    (void)progress;
    DevLog::log(QStringLiteral("deleteWithRecoveryFile: no backup writer to write %1").arg(recoveryPath));
    return -1;
}

QString RecordDeletion::recoveryFilePath()
{
    return Documents::filePath(QStringLiteral("trash.vnbin"));
}
