// `vennaro import FILE`: reads a contacts file into the address book, by the file's ending.

#include "BinFormat.h"
#include "Command.h"
#include "TerminalProgress.h"
#include "addressbook/ABSources.h"
#include "platform/Localization.h"
#include "shell/AppData.h"
#include "shell/Documents.h"

#include <QFileInfo>
#include <QStringList>

namespace {

struct ImportFormat {
    const char *ending;
    // Reads the file; answers the persons created, 0 for none, -1 for an unusable file.
    int (*run)(const QString &path, uint32_t importMask, ProgressTarget &progress);
    bool exchangeSupported;
};

const ImportFormat kFormats[] = {
    {".vnbin", importBin, false},
};

const ImportFormat *findFormat(const QString &fileName)
{
    for (const ImportFormat &format : kFormats) {
        if (fileName.endsWith(QLatin1String(format.ending), Qt::CaseInsensitive))
            return &format;
    }
    return nullptr;
}

// A bare name is looked for in the documents folder first; anything else is a path.
QString resolve(const QString &name)
{
    if (!name.contains(QLatin1Char('/'))) {
        const QString inDocuments = Documents::filePath(name);
        if (QFileInfo::exists(inDocuments) || !QFileInfo::exists(name))
            return inDocuments;
    }
    return name;
}

QString resultText(int result)
{
    switch (result) {
    case -1: return QStringLiteral("Error importing file.");
    case 0: return QStringLiteral("No records found.");
    case 1: return QStringLiteral("1 record added.");
    default: return QStringLiteral("%1 records added.").arg(result);
    }
}

int runImport(const Arguments &args)
{
    if (args.positional.size() != 1)
        return Commands::fail(QStringLiteral("import: give one file"));
    const QString path = resolve(args.positional.first());
    const ImportFormat *format = findFormat(path);
    if (!format)
        return Commands::fail(L("KUnsuportedFileFormat"));
    if (!QFileInfo(path).isFile())
        return Commands::fail(QStringLiteral("import: there is no file %1").arg(path));
    if (args.has(QStringLiteral("source"))) {
        bool ok = false;
        int index = args.value(QStringLiteral("source")).toInt(&ok);
        if (!ok || index < 0 || index >= ABSources::choiceCount())
            return Commands::fail(QStringLiteral("import: there is no source %1 (see `vennaro sources`)").arg(args.value(QStringLiteral("source"))));
        ABSources::setSelectedIndex(index);
    }
    if (!format->exchangeSupported && ABSources::selectedSourceIsExchange())
        return Commands::fail(L("KExchangeNotSupported"));

    int result = -1;
    {
        TerminalProgress progress(L("KImportInProgress").simplified());
        result = format->run(path, AppData::sharedInstance().importMask(), progress);
    }
    if (result < 0)
        return Commands::fail(resultText(result));
    Commands::out() << resultText(result) << Qt::endl;
    return 0;
}

} // namespace

VENNARO_COMMAND({QStringLiteral("import"), QStringLiteral("read a contacts file into the address book"),
                 QStringLiteral("Usage: vennaro import FILE [--source INDEX]\n\n"
                                "Reads FILE (a name in the documents folder, or a path) into the address book,\n"
                                "into one source when given (see `vennaro sources`). Formats, by ending:\n"
                                "  .vnbin  a Vennaro backup, such as trash.vnbin after a delete\n"
                                "The import field filter and the marker come from the settings."),
                 {QStringLiteral("source")},
                 {},
                 runImport});
