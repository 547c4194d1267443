// `vennaro delete`: removes people after saving them to the recovery file trash.vnbin.

#include "Command.h"
#include "ContactRows.h"
#include "TerminalProgress.h"
#include "formats/backup/BackupExport.h"
#include "platform/Localization.h"

namespace {

int runDelete(const Arguments &args)
{
    if (args.positional.size() != 1)
        return Commands::fail(QStringLiteral("delete: give the record identifiers, as ID[,ID…]"));
    Result<QList<ABRecordID>> ids = ContactRows::parseIds(args.positional.first());
    if (!ids)
        return Commands::fail(QStringLiteral("delete: ") + ids.error());
    QString error;
    ABAddressBookRef book = ABAddressBook::create(&error);
    if (!book)
        return Commands::fail(L("KErrCreateAddrBook") + QLatin1Char(' ') + error);
    const Result<QList<ABRecordID>> selected = ContactRows::select(ContactRows::workingSet(*book), *ids);
    book.reset();
    if (!selected)
        return Commands::fail(QStringLiteral("delete: ") + selected.error());

    BinExportReport report;
    int answer = 0;
    {
        TerminalProgress progress(L("KPleaseWaitDeleting").simplified());
        answer = BackupFiles::deleteWithRecoveryFile(SelectedPeople(*selected), &progress, &report);
    }
    if (answer < 0)
        return Commands::fail(L("KErrTrashFile"));
    if (answer == 0)
        return Commands::fail(L("KErrCreateAddrBook"));
    Commands::out() << (report.removed == 1 ? L("KOneRecDeleted") : L("KRecordsDeleted").arg(report.removed)) << Qt::endl;
    return 0;
}

} // namespace

VENNARO_COMMAND({QStringLiteral("delete"), QStringLiteral("delete people, keeping them in trash.vnbin"),
                 QStringLiteral("Usage: vennaro delete ID[,ID…]\n\n"
                                "Writes the people with these record identifiers to trash.vnbin in the\n"
                                "documents folder (replacing the last one), then removes them and prints how\n"
                                "many were removed. When the recovery file cannot be written nothing is\n"
                                "removed. `vennaro import trash.vnbin` brings them back (without groups)."),
                 {},
                 {},
                 runDelete});
