#include "ImportFormats.h"

#include "addressbook/ABSources.h"
#include "formats/backup/BackupImport.h"
#include "formats/ldif/LdifReader.h"
#include "formats/vcard/VCARDimport.h"

#include <memory>

ImportFormats::Kind ImportFormats::kindOf(const QString &fileName)
{
    struct Ending {
        const char *text;
        Kind kind;
    };
    static const Ending kEndings[] = {{".vnbin", Kind::Backup}, {".vcf", Kind::VCard}, {".csv", Kind::Csv}};
    for (const Ending &ending : kEndings) {
        if (fileName.endsWith(QLatin1String(ending.text), Qt::CaseInsensitive))
            return ending.kind;
    }
    return Kind::Ldif;
}

bool ImportFormats::refusedForSelectedSource(Kind kind)
{
    return kind == Kind::Backup && ABSources::selectedSourceIsExchange();
}

Result<ImportFormats::Reader> ImportFormats::prepare(Kind kind, const QString &path, uint32_t importMask, int charSet)
{
    switch (kind) {
    case Kind::Backup:
        return Reader([path, importMask](ProgressTarget *progress) { return importDataBIN(path, importMask, progress); });
    case Kind::VCard: {
        auto reader = std::make_shared<VCARDimport>();
        QString error;
        if (reader->loadVCardFile(path, charSet, &error) < 0)
            return Error{error.isEmpty() ? QStringLiteral("not a vCard file") : error};
        return Reader([reader, importMask](ProgressTarget *progress) { return reader->importIt(progress, importMask); });
    }
    case Kind::Ldif:
        return Reader([path, importMask, charSet](ProgressTarget *progress) { return ldif_import(path, importMask, charSet, progress); });
    case Kind::Csv:
        break;
    }
    return Error{QStringLiteral("a CSV file is imported through its column mapping")};
}
