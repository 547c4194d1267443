// vennaro export: writes the working set, or chosen people, into a file of the documents folder.

#include "BinFormat.h"
#include "Command.h"
#include "ContactRows.h"
#include "TerminalProgress.h"
#include "addressbook/ABAddressBook.h"
#include "exporting/ExportEngine.h"
#include "exporting/ExportMessages.h"
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
    return exportData(request);
}

const ExportFormatRow kFormats[] = {
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
    job.extension = QLatin1String(format->extension);
    const AppData &settings = AppData::sharedInstance();
    job.mask = settings.flagsExp();
    job.charSet = settings.charSet();
    if (args.has(QStringLiteral("charset")) && !parseCharSet(args.value(QStringLiteral("charset")), job.charSet))
        return Commands::fail(QStringLiteral("export: --charset must be utf-8 or iso-8859-1"));
    if (args.has(QStringLiteral("mask")) && !parseMask(args.value(QStringLiteral("mask")), job.mask))
        return Commands::fail(QStringLiteral("export: --mask needs a hexadecimal number such as FFFE"));
    job.args = &args;

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
                                "                      [--charset utf-8|iso-8859-1] [--mask HEX]\n\n"
                                "Writes the people of the working set (in list order), or the listed record\n"
                                "identifiers, into NAME plus the format's extension in the documents folder.\n"
                                "FORMAT: html, txt, csv, or bin (the Vennaro backup .vnbin: every field,\n"
                                "photos and group names; filters do not apply; `vennaro import` reads it back).\n"
                                "The character set and the field mask (hexadecimal, see `vennaro settings`)\n"
                                "default to the settings CharSet and ExportFlags."),
                 {QStringLiteral("format"), QStringLiteral("name"), QStringLiteral("ids"), QStringLiteral("charset"),
                  QStringLiteral("mask")},
                 {},
                 runExport});
