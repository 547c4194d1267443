// `vennaro import FILE`: reads a contacts file into the address book, by the file's ending.

#include "BinFormat.h"
#include "Command.h"
#include "CsvLdifImport.h"
#include "TerminalProgress.h"
#include "addressbook/ABSources.h"
#include "formats/ldif/LdifReader.h"
#include "formats/vcard/VCARDimport.h"
#include "importing/FileChooserViewController.h"
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

int readVCard(const QString &path, uint32_t importMask, ProgressTarget &progress)
{
    return VCARDimport::importFile(path, importMask, AppData::sharedInstance().charSet(), &progress);
}

int readLdif(const QString &path, uint32_t importMask, ProgressTarget &progress)
{
    return ldif_import(path, importMask, AppData::sharedInstance().charSet(), &progress);
}

const ImportFormat kFormats[] = {
    {".vnbin", importBin, false},
    {".vcf", readVCard, true},
};
// Anything else is read as LDIF, as the file list does.
const ImportFormat kLdif = {".ldif", readLdif, true};

const ImportFormat &findFormat(const QString &fileName)
{
    for (const ImportFormat &format : kFormats) {
        if (fileName.endsWith(QLatin1String(format.ending), Qt::CaseInsensitive))
            return format;
    }
    return kLdif;
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
    if (path.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive))
        return CsvLdifImport::importCsvFile(path, args);
    const ImportFormat &format = findFormat(path);
    if (!format.exchangeSupported && ABSources::selectedSourceIsExchange())
        return Commands::fail(L("KExchangeNotSupported"));

    int result = -1;
    {
        TerminalProgress progress(L("KImportInProgress").simplified());
        result = format.run(path, AppData::sharedInstance().importMask(), progress);
    }
    if (result < 0)
        return Commands::fail(FileChooserViewController::resultMessage(result));
    Commands::out() << FileChooserViewController::resultMessage(result) << Qt::endl;
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
