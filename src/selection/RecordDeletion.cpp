#include "RecordDeletion.h"

#include "formats/backup/BackupExport.h"

int RecordDeletion::deleteWithRecoveryFile(const EntryList &rows, const QString &recoveryPath, ProgressTarget *progress)
{
    return exportDataBIN(recoveryPath, rows, progress, true);
}

QString RecordDeletion::recoveryFilePath()
{
    return BackupFiles::trashPath();
}
