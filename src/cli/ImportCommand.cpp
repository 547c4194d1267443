// `vennaro import FILE`: reads a contacts file into the address book, by the file's ending.

#include "Command.h"
#include "CsvLdifImport.h"
#include "TerminalProgress.h"
#include "addressbook/ABSources.h"
#include "formats/common/ImportOutcome.h"
#include "importing/ImportFormats.h"
#include "platform/Localization.h"
#include "shell/AppData.h"
#include "shell/Documents.h"

#include <QFileInfo>
#include <QStringList>

namespace {

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

int runImport(const Arguments &args)
{
    if (args.positional.size() != 1)
        return Commands::fail(QStringLiteral("import: give one file"));
    const QString path = resolve(args.positional.first());
    if (!QFileInfo(path).isFile())
        return Commands::fail(QStringLiteral("import: there is no file %1").arg(path));
    if (args.has(QStringLiteral("source"))) {
        bool ok = false;
        int index = args.value(QStringLiteral("source")).toInt(&ok);
        if (!ok || index < 0 || index >= ABSources::choiceCount())
            return Commands::fail(QStringLiteral("import: there is no source %1 (see `vennaro sources`)").arg(args.value(QStringLiteral("source"))));
        ABSources::setSelectedIndex(index);
    }
    const ImportFormats::Kind kind = ImportFormats::kindOf(path);
    if (kind == ImportFormats::Kind::Csv)
        return CsvLdifImport::importCsvFile(path, args);
    if (ImportFormats::refusedForSelectedSource(kind))
        return Commands::fail(L("KExchangeNotSupported"));
    const AppData &settings = AppData::sharedInstance();
    Result<ImportFormats::Reader> reader = ImportFormats::prepare(kind, path, settings.importMask(), settings.charSet());
    int result = -1;
    if (reader) {
        TerminalProgress progress(L("KImportInProgress").simplified());
        result = (*reader)(&progress);
    }
    if (result < 0)
        return Commands::fail(ImportOutcome::message(result));
    Commands::out() << ImportOutcome::message(result) << Qt::endl;
    return 0;
}

} // namespace

VENNARO_COMMAND({QStringLiteral("import"), QStringLiteral("read a contacts file into the address book"),
                 QStringLiteral("Usage: vennaro import FILE [--source INDEX] [--map \"COLUMN=Field,…\"] [--guess] [--yes]\n\n"
                                "Reads FILE (a name in the documents folder, or a path) into the address book,\n"
                                "into one source when given (see `vennaro sources`). Formats, by ending:\n"
                                "  .vnbin  a Vennaro backup, such as trash.vnbin after a delete\n"
                                "  .vcf    vCard\n"
                                "  .csv    CSV with a header row: the columns are mapped to fields by their\n"
                                "          header texts and the mapping is printed (\"0002 Email -> Email\").\n"
                                "          --guess also maps columns by the names common programs write\n"
                                "          (\"First Name\", \"E-mail Address\" …); --map changes the mapping\n"
                                "          (a header text or column number = a field name, or - for none);\n"
                                "          the import starts when every column is mapped, or with --yes.\n"
                                "  other   LDIF\n"
                                "The import field filter, the marker and the character set come from the settings."),
                 {QStringLiteral("source"), QStringLiteral("map")},
                 {QStringLiteral("guess"), QStringLiteral("yes")},
                 runImport});
