// vennaro export: writes the working set, or chosen people, into a file of the documents folder.

#include "BinFormat.h"
#include "Command.h"
#include "ContactRows.h"
#include "TerminalProgress.h"
#include "addressbook/ABAddressBook.h"
#include "exporting/ExportEngine.h"
#include "exporting/ExportMessages.h"
#include "exporting/FolderExport.h"
#include "formats/vcard/VCardWriter.h"
#include "formats/wincontact/WinContactWriter.h"
#include "platform/Localization.h"
#include "shell/AppData.h"
#include "shell/Documents.h"


namespace {

// One export, as the format's run function sees it.
struct ExportJob {
    QString name;        // the file name without extension
    QString extension;   // a run function may change it (the file it made has another one)
    EntryList rows;
    uint32_t mask = 0;
    int charSet = 0;
    ProgressTarget *progress = nullptr;
    const Arguments *args = nullptr; // for options of a single format
    int schema = 0;                  // LDIF: 0 vennaro, 1 generic, 2 mozilla

    QString path() const { return Documents::filePath(name + QLatin1Char('.') + extension); }
};

// Answers what the writer answers: the number of records, or -1.
using ExportRunner = int (*)(ExportJob &job);

struct ExportFormatRow {
    const char *name;
    const char *extension;
    ExportRunner run;
};

int runEngine(ExportJob &job, int format)
{
    ExportRequest request;
    request.path = job.path();
    request.entries = job.rows;
    request.format = format;
    request.mask = job.mask;
    request.charSet = job.charSet;
    request.progress = job.progress;
    if (format == ExportFormat::LDIF) {
        request.layout = job.schema;
        if (const QString dn = job.args->value(QStringLiteral("dn")); !dn.isEmpty())
            request.dnSuffix = dn;
    }
    return exportData(request);
}

int selectedCount(const EntryList &rows)
{
    int count = 0;
    for (const EntryDataRef &row : rows)
        count += row->selected ? 1 : 0;
    return count;
}

// One file per person, packed into NAME.zip; -1 when the folder or the archive failed.
int runZipped(ExportJob &job, const std::function<int(const QString &folder)> &write)
{
    job.extension = QStringLiteral("zip");
    const FolderExport::Outcome outcome = FolderExport::writeZipped(job.name, write);
    return outcome.packaged ? outcome.answer : -1;
}

int runVCard(ExportJob &job)
{
    const bool single = !job.args->has(QStringLiteral("per-contact"));
    auto write = [&job, single](const QString &basePath) {
        return VCardWriter::exportDataVCARD(basePath, job.rows, job.mask, job.charSet, single, job.progress);
    };
    if (!single)
        return runZipped(job, write);
    const int answer = write(Documents::filePath(job.name));
    // The writer answers 0 for selected rows when it cannot create the file.
    return answer == 0 && selectedCount(job.rows) > 0 ? -1 : answer;
}

int runWin(ExportJob &job)
{
    return runZipped(job, [&job](const QString &folder) {
        return WinContactWriter::exportDataWin(folder, job.rows, job.mask, job.charSet, job.progress);
    });
}

bool parseSchema(const QString &text, int &schema)
{
    static const char *const names[] = {"vennaro", "generic", "mozilla"};
    for (int i = 0; i < 3; ++i) {
        if (text.compare(QLatin1String(names[i]), Qt::CaseInsensitive) == 0) {
            schema = i;
            return true;
        }
    }
    return false;
}

const ExportFormatRow kFormats[] = {
    {"ldif", "ldif", [](ExportJob &job) { return runEngine(job, ExportFormat::LDIF); }},
    {"vcf", "vcf", runVCard},
    {"win", "zip", runWin},
    {"html", "html", [](ExportJob &job) { return runEngine(job, ExportFormat::HTML); }},
    {"txt", "txt", [](ExportJob &job) { return runEngine(job, ExportFormat::TXT); }},
    {"csv", "csv", [](ExportJob &job) { return runEngine(job, ExportFormat::CSV); }},
    {"bin", "vnbin", [](ExportJob &job) { return exportBin(job.path(), job.rows, *job.progress); }},
};

const ExportFormatRow *findFormat(const QString &name)
{
    for (const ExportFormatRow &row : kFormats) {
        if (name.compare(QLatin1String(row.name), Qt::CaseInsensitive) == 0)
            return &row;
    }
    return nullptr;
}

QString formatNames()
{
    QStringList names;
    for (const ExportFormatRow &row : kFormats)
        names.append(QLatin1String(row.name));
    return names.join(QLatin1Char('|'));
}

bool parseCharSet(const QString &text, int &charSet)
{
    const QString name = text.toLower();
    if (name == QLatin1String("utf-8") || name == QLatin1String("utf8"))
        charSet = 0;
    else if (name == QLatin1String("iso-8859-1") || name == QLatin1String("latin1"))
        charSet = 1;
    else
        return false;
    return true;
}

bool parseMask(QString text, uint32_t &mask)
{
    if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        text = text.mid(2);
    bool ok = false;
    mask = text.toUInt(&ok, 16);
    return ok;
}

int runExport(const Arguments &args)
{
    const ExportFormatRow *format = findFormat(args.value(QStringLiteral("format")));
    if (!format)
        return Commands::fail(QStringLiteral("export: --format must be one of %1").arg(formatNames()));
    ExportJob job;
    job.name = args.value(QStringLiteral("name"));
    if (job.name.isEmpty())
        return Commands::fail(QStringLiteral("export: --name NAME is required"));
    if (!FolderExport::isSafeName(job.name))
        return Commands::fail(QStringLiteral("export: --name must not contain \"/\" nor be \".\" or \"..\""));
    job.extension = QLatin1String(format->extension);
    const AppData &settings = AppData::sharedInstance();
    job.mask = settings.flagsExp();
    job.charSet = settings.charSet();
    if (args.has(QStringLiteral("charset")) && !parseCharSet(args.value(QStringLiteral("charset")), job.charSet))
        return Commands::fail(QStringLiteral("export: --charset must be utf-8 or iso-8859-1"));
    if (args.has(QStringLiteral("mask")) && !parseMask(args.value(QStringLiteral("mask")), job.mask))
        return Commands::fail(QStringLiteral("export: --mask needs a hexadecimal number such as FFFE"));
    job.args = &args;
    if (args.has(QStringLiteral("schema")) && !parseSchema(args.value(QStringLiteral("schema")), job.schema))
        return Commands::fail(QStringLiteral("export: --schema must be vennaro, generic or mozilla"));

    QString error;
    ABAddressBookRef book = ABAddressBook::create(&error);
    if (!book)
        return Commands::fail(L("KErrCreateAddrBook") + QLatin1Char(' ') + error);
    job.rows = ContactRows::workingSet(*book);
    book.reset();
    if (args.has(QStringLiteral("ids"))) {
        Result<QList<ABRecordID>> ids = ContactRows::parseIds(args.value(QStringLiteral("ids")));
        if (!ids)
            return Commands::fail(QStringLiteral("export: ") + ids.error());
        if (Result<void> selected = ContactRows::select(job.rows, *ids); !selected)
            return Commands::fail(QStringLiteral("export: ") + selected.error());
    }

    int answer = 0;
    {
        TerminalProgress progress(L("KExportInProgress").simplified());
        job.progress = &progress;
        answer = format->run(job);
    }
    if (answer < 0)
        return Commands::fail(QStringLiteral("export: nothing was written to %1 (see the log with VENNARO_DEBUG=1)").arg(job.path()));
    Commands::out() << ExportMessages::resultMessage(answer, job.name, job.extension) << Qt::endl;
    return 0;
}

} // namespace

VENNARO_COMMAND({QStringLiteral("export"), QStringLiteral("write people into a file of the documents folder"),
                 QStringLiteral("Usage: vennaro export --format FORMAT --name NAME [--ids ID,ID,…]\n"
                                "                      [--charset utf-8|iso-8859-1] [--mask HEX]\n"
                                "                      [--schema vennaro|generic|mozilla] [--dn SUFFIX] [--per-contact]\n\n"
                                "Writes the people of the working set (in list order), or the listed record\n"
                                "identifiers, into NAME plus the format's extension in the documents folder.\n"
                                "FORMAT: ldif, vcf, win, html, txt, csv, or bin (the Vennaro backup .vnbin:\n"
                                "every field, photos and group names; filters do not apply; `vennaro import`\n"
                                "reads it back).\n"
                                "ldif: --schema picks the attributes (vennaro, the default, reads back in full;\n"
                                "generic is plain RFC 2849 with standard attributes; mozilla suits Thunderbird);\n"
                                "--dn SUFFIX is added to each entry's DN (dn: cn=NAME,SUFFIX).\n"
                                "vcf: one NAME.vcf, or with --per-contact one card per person packed in NAME.zip.\n"
                                "win: one Windows .contact file per person packed in NAME.zip.\n"
                                "The character set and the field mask (hexadecimal, see `vennaro settings`)\n"
                                "default to the settings CharSet and ExportFlags."),
                 {QStringLiteral("format"), QStringLiteral("name"), QStringLiteral("ids"), QStringLiteral("charset"),
                  QStringLiteral("mask"), QStringLiteral("schema"), QStringLiteral("dn")},
                 {QStringLiteral("per-contact")},
                 runExport});
