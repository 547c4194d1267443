#include "WinContactWriter.h"

#include "WinContactDocument.h"

#include "addressbook/ABSources.h"
#include "formats/common/SelectionWalk.h"
#include "formats/vcard/RecordFile.h"
#include "shell/AppData.h"
#include "shell/FLog.h"

int WinContactWriter::exportDataWin(const QString &folderPath, const SelectedPeople &people, uint32_t mask, int charSet,
                                    ProgressTarget *progress)
{
    const int total = people.count();
    if (AppData::sharedInstance().logEnabled())
        FLogLine(QStringLiteral("Export - mode: WIN  mask: %1 recs: %2").arg(QString::number(mask, 16).toUpper()).arg(total));
    ABAddressBookRef book = ABSources::openAddressBook("exportDataWin");
    if (!book)
        return -1;
    const WinContactDocument document(mask, charSet);
    RecordFile files(folderPath, QStringLiteral(".contact"));
    SelectionWalk::forEachSelectedPerson(*book, people, progress, [&](const ABRecord &person) {
        const QString name = person.copyCompositeName();
        if (!name.isEmpty())
            files.write(name, document.compose(person, QDateTime::currentDateTimeUtc()), "writeRecord");
    });
    return files.answer();
}
