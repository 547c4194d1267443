#include "BinFormat.h"

#include "formats/backup/BackupExport.h"
#include "formats/backup/BackupImport.h"

int exportBin(const QString &path, const EntryList &rows, ProgressTarget &progress)
{
    return exportDataBIN(path, rows, &progress, false);
}

int importBin(const QString &path, uint32_t importMask, ProgressTarget &progress)
{
    return importDataBIN(path, importMask, &progress);
}
