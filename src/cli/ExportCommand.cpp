// `vennaro export`: writes the chosen people to a file in the documents folder.

#include "BinFormat.h"
#include "Command.h"
#include "ContactRows.h"
#include "TerminalProgress.h"
#include "platform/Localization.h"
#include "shell/Documents.h"

#include <QStringList>

namespace {

struct ExportFormat {
    const char *name;
    const char *extension;
    // Writes the selected rows to the path (which carries the extension); answers the
    // writer's count, or -1 when the file could not be written.
    int (*run)(const QString &path, const EntryList &rows, ProgressTarget &progress);
};

const ExportFormat kFormats[] = {
    {"bin", "vnbin", exportBin},
};

const ExportFormat *findFormat(const QString &name)
{
    for (const ExportFormat &format : kFormats) {
        if (name.compare(QLatin1String(format.name), Qt::CaseInsensitive) == 0)
            return &format;
    }
    return nullptr;
}

QString formatNames()
{
    QStringList names;
    for (const ExportFormat &format : kFormats)
        names.append(QLatin1String(format.name));
    return names.join(QStringLiteral(", "));
}

int runExport(const Arguments &args)
{
    const ExportFormat *format = findFormat(args.value(QStringLiteral("format")));
    if (!format)
        return Commands::fail(QStringLiteral("export: --format must be one of %1").arg(formatNames()));
    const QString name = args.value(QStringLiteral("name"));
    if (name.isEmpty())
        return Commands::fail(L("KMissingFilename"));
    QString error;
    ABAddressBookRef book = ABAddressBook::create(&error);
    if (!book)
        return Commands::fail(L("KErrCreateAddrBook") + QLatin1Char(' ') + error);
    EntryList rows = ContactRows::workingSet(*book);
    book.reset();
    if (args.has(QStringLiteral("ids"))) {
        Result<QList<ABRecordID>> ids = ContactRows::parseIds(args.value(QStringLiteral("ids")));
        if (!ids)
            return Commands::fail(QStringLiteral("export: ") + ids.error());
        if (Result<void> selected = ContactRows::select(rows, *ids); !selected)
            return Commands::fail(QStringLiteral("export: ") + selected.error());
    }

    const QString extension = QLatin1String(format->extension);
    int answer = 0;
    {
        TerminalProgress progress(L("KExportInProgress").simplified());
        answer = format->run(Documents::filePath(name + QLatin1Char('.') + extension), rows, progress);
    }
    if (answer < 0)
        return Commands::fail(L("KErrWriteFile").arg(name, extension));
    Commands::out() << (answer == 1 ? L("KOneRecExported").arg(name, extension)
                                    : L("KRecordsExported").arg(answer).arg(name, extension))
                    << Qt::endl;
    return 0;
}

} // namespace

VENNARO_COMMAND({QStringLiteral("export"), QStringLiteral("write people to a file in the documents folder"),
                 QStringLiteral("Usage: vennaro export --format FORMAT --name NAME [--ids ID[,ID…]]\n\n"
                                "Writes every person (or those with the given record identifiers) to\n"
                                "NAME.EXT in the documents folder. Formats:\n"
                                "  bin   the Vennaro backup (.vnbin): every field, photos and group names;\n"
                                "        export filters do not apply. `vennaro import` reads it back."),
                 {QStringLiteral("format"), QStringLiteral("name"), QStringLiteral("ids")},
                 {},
                 runExport});
