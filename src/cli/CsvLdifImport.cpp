// Commands that import CSV and LDIF files: import-csv and import-ldif.

#include "CsvLdifImport.h"

#include "Command.h"
#include "formats/common/ProgressTarget.h"
#include "formats/csv/CSVimport.h"
#include "formats/ldif/LdifReader.h"
#include "platform/Localization.h"
#include "shell/AppData.h"
#include "shell/Documents.h"

#include <QFileInfo>

#include <unistd.h>

namespace {

// A running count on a terminal; nothing when standard error is not one.
class TerminalProgress : public ProgressTarget {
public:
    TerminalProgress() : m_enabled(isatty(STDERR_FILENO)) {}
    ~TerminalProgress() override
    {
        if (m_shown)
            Commands::err() << "\n" << Qt::flush;
    }
    void setNumberProgress(int count) override
    {
        if (m_enabled && count % 100 == 0) {
            Commands::err() << "\rProcessing " << count << Qt::flush;
            m_shown = true;
        }
    }

private:
    bool m_enabled;
    bool m_shown = false;
};

QString resolve(const QString &file)
{
    if (QFileInfo::exists(file))
        return file;
    QString inDocuments = Documents::filePath(file);
    return QFileInfo::exists(inDocuments) ? inDocuments : file;
}

// The result line of every import.
int report(int result)
{
    if (result < 0)
        return Commands::fail(QStringLiteral("Error importing file."));
    if (result == 0)
        Commands::out() << "No records found.\n";
    else if (result == 1)
        Commands::out() << "1 record added.\n";
    else
        Commands::out() << result << " records added.\n";
    return 0;
}

int findColumn(const CSVimport &importer, const QString &column)
{
    const QStringList &header = importer.csvheader();
    for (Qt::CaseSensitivity cs : {Qt::CaseSensitive, Qt::CaseInsensitive}) {
        for (int i = 0; i < header.size(); ++i) {
            if (CSVimport::headerText(header.at(i)).compare(column, cs) == 0)
                return i;
        }
    }
    bool number = false;
    int index = column.toInt(&number);
    return number && index >= 0 && index < header.size() ? index : -1;
}

// Applies "COLUMN=Field,COLUMN=-": answers an error text, empty when every pair applied.
QString applyMap(CSVimport &importer, const QString &map)
{
    for (const QString &pair : map.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        qsizetype equals = pair.lastIndexOf(QLatin1Char('='));
        if (equals < 0)
            return QStringLiteral("--map: \"%1\" is not COLUMN=Field").arg(pair);
        const QString column = pair.left(equals).trimmed();
        const QString target = pair.mid(equals + 1).trimmed();
        int index = findColumn(importer, column);
        if (index < 0)
            return QStringLiteral("--map: there is no column \"%1\"").arg(column);
        int field = -1;
        if (target != QLatin1String("-")) {
            const QStringList &fields = CSVimport::fields();
            for (int i = 0; i < fields.size() && field < 0; ++i)
                field = fields.at(i).compare(target, Qt::CaseInsensitive) == 0 ? i : -1;
            if (field < 0)
                return QStringLiteral("--map: there is no field \"%1\"; fields: %2")
                    .arg(target, CSVimport::fields().join(QStringLiteral(", ")));
        }
        importer.mappings()[index] = field;
    }
    return QString();
}

void printMapping(const CSVimport &importer)
{
    QTextStream &out = Commands::out();
    for (int i = 0; i < importer.csvheader().size(); ++i) {
        int field = importer.mappings().at(i);
        out << importer.csvheader().at(i) << " -> " << (field >= 0 ? CSVimport::fields().at(field) : L("KNotMapped"))
            << "\n";
    }
    out << L("KMapped").arg(importer.countAssigned()).arg(importer.csvheader().size()) << "\n";
}

int runImportCsv(const Arguments &args)
{
    if (args.positional.size() != 1)
        return Commands::fail(QStringLiteral("import-csv: give one CSV file (see `vennaro import-csv --help`)"));
    return CsvLdifImport::importCsvFile(args.positional.first(), args);
}

int runImportLdif(const Arguments &args)
{
    if (args.positional.size() != 1)
        return Commands::fail(QStringLiteral("import-ldif: give one LDIF file (see `vennaro import-ldif --help`)"));
    return CsvLdifImport::importLdifFile(args.positional.first(), args);
}

} // namespace

int CsvLdifImport::importCsvFile(const QString &file, const Arguments &args)
{
    const AppData &settings = AppData::sharedInstance();
    Result<std::shared_ptr<CSVimport>> loaded = CSVimport::fromFile(resolve(file), settings.charSet());
    if (!loaded)
        return Commands::fail(loaded.error());
    CSVimport &importer = **loaded;
    if (args.has(QStringLiteral("guess")))
        importer.guessUnmapped();
    QString mapError = applyMap(importer, args.value(QStringLiteral("map")));
    if (!mapError.isEmpty())
        return Commands::fail(mapError);
    printMapping(importer);
    Commands::out().flush();
    if (!importer.oneFieldAssigned())
        return Commands::fail(L("KNothingMapped"));
    if (!importer.areAllFieldsAssigned() && !args.has(QStringLiteral("yes"))) {
        QString text = L("KFieldsNotMapped").section(QLatin1Char('\n'), 0, 0);
        return Commands::fail(text + QStringLiteral(" (--yes imports anyway, --map maps columns)"));
    }
    TerminalProgress progress;
    return report(importer.importWithTagert(&progress, settings.importMask()));
}

int CsvLdifImport::importLdifFile(const QString &file, const Arguments &)
{
    const AppData &settings = AppData::sharedInstance();
    int result = 0;
    {
        TerminalProgress progress;
        result = ldif_import(resolve(file), settings.importMask(), settings.charSet(), &progress);
    }
    return report(result);
}

VENNARO_COMMAND({QStringLiteral("import-csv"), QStringLiteral("import a CSV file, mapping its columns to fields"),
                 QStringLiteral("Usage: vennaro import-csv FILE [--map \"COLUMN=Field,COLUMN=-,…\"] [--guess] [--yes]\n\n"
                                "Reads FILE (a path, or a name in the documents folder) in the character set of the\n"
                                "settings and maps each column to a contact field by its header text. Prints the\n"
                                "mapping (\"0002 Email -> Email\") and the number of mapped columns.\n\n"
                                "  --guess  also map the columns left unmapped by the header names that common\n"
                                "           programs write (\"First Name\", \"E-mail Address\", \"Mobile Phone\" …)\n"
                                "  --map    change the mapping: a header text or column number, \"=\", then a\n"
                                "           field name or \"-\" for not mapped\n"
                                "  --yes    import even when some columns are not mapped (they are lost)\n\n"
                                "Fields: FirstName, LastName, MiddleName, Nickname, Organization, JobTitle,\n"
                                "Department, Email, Birthday, Note, Date, Phone, URL, AddressStreet, AddressCity,\n"
                                "AddressState, AddressCountry, AddressZIPcode, PhoneticFirstName, PhoneticLastName,\n"
                                "Prefix, Suffix, InstantMessage, Group."),
                 {QStringLiteral("map")}, {QStringLiteral("yes"), QStringLiteral("guess")}, runImportCsv});

VENNARO_COMMAND({QStringLiteral("import-ldif"), QStringLiteral("import an LDIF file"),
                 QStringLiteral("Usage: vennaro import-ldif FILE\n\n"
                                "Reads FILE (a path, or a name in the documents folder), one person per entry,\n"
                                "with the import field filter and marker of the settings."),
                 {}, {}, runImportLdif});
