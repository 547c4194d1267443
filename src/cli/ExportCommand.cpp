// vennaro export: writes the working set, or chosen people, into a file of the documents folder.

#include "Command.h"
#include "ContactRows.h"
#include "TerminalProgress.h"
#include "addressbook/ABAddressBook.h"
#include "exporting/ExportFormats.h"
#include "exporting/ExportMessages.h"
#include "exporting/FolderExport.h"
#include "platform/Localization.h"
#include "shell/AppData.h"
#include "shell/Documents.h"

namespace {

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
    ExportFormats::Job job;
    job.format = ExportFormats::formatNamed(args.value(QStringLiteral("format")));
    if (job.format < 0)
        return Commands::fail(QStringLiteral("export: --format must be one of %1").arg(ExportFormats::names().join(QLatin1Char('|'))));
    job.name = args.value(QStringLiteral("name"));
    if (job.name.isEmpty())
        return Commands::fail(QStringLiteral("export: --name NAME is required"));
    if (!FolderExport::isSafeName(job.name))
        return Commands::fail(QStringLiteral("export: --name must not contain \"/\" nor be \".\" or \"..\""));
    const AppData &settings = AppData::sharedInstance();
    job.mask = settings.flagsExp();
    job.charSet = settings.charSet();
    if (args.has(QStringLiteral("charset")) && !parseCharSet(args.value(QStringLiteral("charset")), job.charSet))
        return Commands::fail(QStringLiteral("export: --charset must be utf-8 or iso-8859-1"));
    if (args.has(QStringLiteral("mask")) && !parseMask(args.value(QStringLiteral("mask")), job.mask))
        return Commands::fail(QStringLiteral("export: --mask needs a hexadecimal number such as FFFE"));
    if (args.has(QStringLiteral("schema")) && !parseSchema(args.value(QStringLiteral("schema")), job.schema))
        return Commands::fail(QStringLiteral("export: --schema must be vennaro, generic or mozilla"));
    // The schema and the DN suffix belong to LDIF alone.
    if (job.format == ExportFormats::LDIF)
        job.dnSuffix = args.value(QStringLiteral("dn"));
    else
        job.schema = 0;
    job.singleVCard = !args.has(QStringLiteral("per-contact"));
    const QString extension = ExportFormats::extensionOf(job.format, job.singleVCard);

    QString error;
    ABAddressBookRef book = ABAddressBook::create(&error);
    if (!book)
        return Commands::fail(L("KErrCreateAddrBook") + QLatin1Char(' ') + error);
    QList<ABRecordID> people = ContactRows::workingSet(*book);
    book.reset();
    if (args.has(QStringLiteral("ids"))) {
        Result<QList<ABRecordID>> ids = ContactRows::parseIds(args.value(QStringLiteral("ids")));
        if (!ids)
            return Commands::fail(QStringLiteral("export: ") + ids.error());
        Result<QList<ABRecordID>> selected = ContactRows::select(people, *ids);
        if (!selected)
            return Commands::fail(QStringLiteral("export: ") + selected.error());
        people = std::move(*selected);
    }
    job.people = SelectedPeople(std::move(people));

    ExportFormats::Outcome outcome;
    {
        TerminalProgress progress(L("KExportInProgress").simplified());
        job.progress = &progress;
        outcome = ExportFormats::run(job);
    }
    const QString path = Documents::filePath(job.name + QLatin1Char('.') + extension);
    if (outcome.failure == ExportFormats::Failure::AddressBook)
        return Commands::fail(L("KErrCreateAddrBook"));
    if (outcome.failure != ExportFormats::Failure::None || outcome.answer < 0)
        return Commands::fail(QStringLiteral("export: nothing was written to %1 (see the log with VENNARO_DEBUG=1)").arg(path));
    Commands::out() << ExportMessages::resultMessage(outcome.answer, job.name, extension) << Qt::endl;
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
