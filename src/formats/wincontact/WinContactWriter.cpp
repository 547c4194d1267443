#include "WinContactWriter.h"

#include "WinContactDocument.h"

#include "addressbook/ABSources.h"
#include "formats/vcard/RecordFile.h"
#include "formats/vcard/SelectionWalk.h"
#include "platform/DevLog.h"
#include "shell/AppData.h"
#include "shell/FLog.h"

#include <QFile>

int WinContactWriter::exportDataWin(const QString &folderPath, const EntryList &rows, uint32_t mask, int charSet,
                                    ProgressTarget *progress)
{
    const int total = SelectionWalk::countSelected(rows);
    if (AppData::sharedInstance().logEnabled())
        FLogLine(QStringLiteral("Export - mode: WIN  mask: %1 recs: %2").arg(QString::number(mask, 16).toUpper()).arg(total));
    ABAddressBookRef book = ABSources::openAddressBook("exportDataWin");
    if (!book)
        return -1;
    SelectionWalk::preload(*book, total);
    const WinContactDocument document(mask, charSet);
    SelectionWalk::forEachSelectedPerson(*book, rows, total, progress, [&](const ABRecordRef &person) {
        const QString name = person->copyCompositeName();
        if (name.isEmpty())
            return;
        QFile file(RecordFile::freePath(folderPath, name, QStringLiteral(".contact")));
        if (file.fileName().isEmpty() || !file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            DevLog::log(QStringLiteral("writeRecord Error creating file %1/%2.contact").arg(folderPath, name));
            return;
        }
        file.write(document.compose(*person, QDateTime::currentDateTimeUtc()));
    });
    return total;
}
