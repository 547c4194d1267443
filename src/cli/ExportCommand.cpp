// vennaro export: writes the working set, or chosen people, into a file of the documents folder.

#include "Command.h"
#include "addressbook/ABAddressBook.h"
#include "addressbook/WorkingSetRows.h"
#include "exporting/ExportEngine.h"
#include "exporting/ExportMessages.h"
#include "platform/Localization.h"
#include "shell/AppData.h"
#include "shell/Documents.h"

#include <cstdio>
#include <unistd.h>

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

// A bar on standard error while the records are written, when it is a terminal.
class TerminalProgress : public ProgressTarget {
public:
    TerminalProgress() : m_enabled(isatty(fileno(stderr))) {}
    ~TerminalProgress() override { finish(); }

    void setProgress(double value) override
    {
        if (!m_enabled)
            return;
        int percent = int(std::clamp(value, 0.0, 1.0) * 100);
        if (percent == m_percent)
            return;
        m_percent = percent;
        const int width = 40;
        const int filled = percent * width / 100;
        std::fprintf(stderr, "\r[%s%s] %3d%%", QByteArray(filled, '#').constData(), QByteArray(width - filled, ' ').constData(), percent);
        std::fflush(stderr);
    }
    void finish()
    {
        if (m_enabled && m_percent >= 0)
            std::fprintf(stderr, "\n");
        m_percent = -1;
    }

private:
    bool m_enabled;
    int m_percent = -1;
};

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

// The rows of the listed record identifiers, in the order given.
bool rowsForIds(ABAddressBook &book, const QString &list, EntryList &rows, QString *message)
{
    for (const QString &word : list.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool ok = false;
        const ABRecordID id = word.trimmed().toInt(&ok);
        ABRecordRef person = ok ? book.personWithRecordID(id) : nullptr;
        if (!person) {
            *message = ok ? QStringLiteral("no person has the identifier %1").arg(id)
                          : QStringLiteral("\"%1\" is not a record identifier").arg(word);
            return false;
        }
        auto row = std::make_shared<EntryData>();
        row->recID = id;
        row->name = person->copyCompositeName();
        rows.append(row);
    }
    if (rows.isEmpty()) {
        *message = QStringLiteral("--ids lists no record identifier");
        return false;
    }
    return true;
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
    if (args.has(QStringLiteral("ids"))) {
        QString message;
        if (!rowsForIds(*book, args.value(QStringLiteral("ids")), job.rows, &message))
            return Commands::fail(QStringLiteral("export: ") + message);
    } else {
        job.rows = loadWorkingSetRows(*book);
    }
    book.reset();

    TerminalProgress progress;
    job.progress = &progress;
    const int answer = format->run(job);
    progress.finish();
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
                                "FORMAT: html, txt or csv. The character set and the field mask (hexadecimal,\n"
                                "see `vennaro settings`) default to the settings CharSet and ExportFlags."),
                 {QStringLiteral("format"), QStringLiteral("name"), QStringLiteral("ids"), QStringLiteral("charset"),
                  QStringLiteral("mask")},
                 {},
                 runExport});
