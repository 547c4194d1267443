#include "VCardWriter.h"

#include "RecordFile.h"
#include "SelectionWalk.h"
#include "VCardComposer.h"

#include "addressbook/ABSources.h"
#include "formats/common/ProgressTarget.h"
#include "platform/DevLog.h"
#include "shell/AppData.h"
#include "shell/FLog.h"

std::unique_ptr<QFile> VCardWriter::createFileForRecord(const QString &folderPath, const ABRecord &person, int charSet)
{
    // The file name is the composite name in the file system's own encoding (UTF-8), whatever
    // the character set of the card inside.
    (void)charSet;
    const QString name = person.copyCompositeName();
    if (name.isEmpty()) {
        DevLog::log(QStringLiteral("createFileForRecord NO CompositeName"));
        return nullptr;
    }
    const QString path = RecordFile::freePath(folderPath, name, QStringLiteral(".vcf"));
    auto file = std::make_unique<QFile>(path);
    if (path.isEmpty() || !file->open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        DevLog::log(QStringLiteral("createFileForRecord Error creating file %1").arg(folderPath + QLatin1Char('/') + name));
        return nullptr;
    }
    return file;
}

int VCardWriter::exportDataVCARD(const QString &basePath, const EntryList &rows, uint32_t mask, int charSet,
                                 bool singleFile, ProgressTarget *progress)
{
    QFile single(basePath + QStringLiteral(".vcf"));
    if (singleFile) {
        if (!RecordFile::fits(single.fileName()) || !single.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            DevLog::log(QStringLiteral("exportDataVCARD Error creating file %1").arg(single.fileName()));
            if (progress)
                progress->setProgress(1.0);
            return 0;
        }
    }
    const int total = SelectionWalk::countSelected(rows);
    if (AppData::sharedInstance().logEnabled())
        FLogLine(QStringLiteral("Export - mode: VCARD  mask: %1 recs: %2").arg(QString::number(mask, 16).toUpper()).arg(total));

    ABAddressBookRef book = ABSources::openAddressBook("exportDataVCARD");
    if (!book)
        return -1;

    SelectionWalk::preload(*book, total);
    const VCardComposer composer(mask, charSet,
                                 (mask & FieldFilter::Groups) ? VCardComposer::groupMemberships(*book)
                                                              : QHash<ABRecordID, QStringList>());
    SelectionWalk::forEachSelectedPerson(*book, rows, total, progress, [&](const ABRecordRef &person) {
        if (singleFile) {
            single.write(composer.compose(*person, QDateTime::currentDateTimeUtc()));
            single.write("\r\n");
            return;
        }
        if (std::unique_ptr<QFile> file = createFileForRecord(basePath, *person, charSet))
            file->write(composer.compose(*person, QDateTime::currentDateTimeUtc()));
    });
    if (singleFile) {
        // A full disk must not pass for a finished export.
        single.close();
        if (single.error() != QFileDevice::NoError) {
            DevLog::log(QStringLiteral("exportDataVCARD Error writing file %1: %2").arg(single.fileName(), single.errorString()));
            return 0;
        }
    }
    return total;
}
