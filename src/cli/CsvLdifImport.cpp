// `vennaro import` of CSV files: the column mapping on the command line.

#include "CsvLdifImport.h"

#include "Command.h"
#include "TerminalProgress.h"
#include "formats/common/ImportOutcome.h"
#include "formats/common/ProgressTarget.h"
#include "formats/csv/CSVimport.h"
#include "platform/Localization.h"
#include "shell/AppData.h"



namespace {

// The result line of every import.
int report(int result)
{
    if (result < 0)
        return Commands::fail(ImportOutcome::message(result));
    Commands::out() << ImportOutcome::message(result) << Qt::endl;
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

} // namespace

int CsvLdifImport::importCsvFile(const QString &file, const Arguments &args)
{
    const AppData &settings = AppData::sharedInstance();
    Result<std::shared_ptr<CSVimport>> loaded = CSVimport::fromFile(file, settings.charSet());
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
    TerminalProgress progress(L("KImportInProgress").simplified());
    return report(importer.importWithTagert(&progress, settings.importMask()));
}
