#include "ExportFormats.h"

#include "ExportEngine.h"
#include "FolderExport.h"
#include "addressbook/ABSources.h"
#include "formats/backup/BackupExport.h"
#include "formats/common/SelectionWalk.h"
#include "formats/vcard/VCardWriter.h"
#include "formats/wincontact/WinContactWriter.h"
#include "shell/Documents.h"

namespace {

using namespace ExportFormats;

const Description kFormats[kCount] = {
    {"BIN", "bin", "KBinary", nullptr, "KBinaryNote", "vnbin"},
    {"LDIF", "ldif", nullptr, "LDAP Data Interchange Format", "KLDAPNote", "ldif"},
    {"VCF", "vcf", nullptr, "vCard", "KVCARDNote", "vcf"},
    {"HTML", "html", nullptr, "HTML", "KHTMLNote", "html"},
    {"TXT", "txt", "KText", nullptr, "KTxtNote", "txt"},
    {"CSV", "csv", nullptr, "Comma separted values", "KCSVNote", "csv"},
    {"WIN", "win", nullptr, "Windows contacts", "KWindowsNote", "zip"},
};

QString pathOf(const Job &job)
{
    return Documents::filePath(job.name + QLatin1Char('.') + extensionOf(job.format, job.singleVCard));
}

Outcome runBackup(const Job &job)
{
    const int answer = exportDataBIN(pathOf(job), job.people, job.progress, false);
    // The backup writer answers 0 without an address book and -1 when the file fails.
    if (answer < 0)
        return {answer, Failure::File};
    if (answer == 0 && job.people.count() > 0)
        return {answer, Failure::AddressBook};
    return {answer, Failure::None};
}

Outcome runEngine(const Job &job, int engineFormat)
{
    ExportRequest request;
    request.path = pathOf(job);
    request.people = job.people;
    request.format = engineFormat;
    request.mask = job.mask;
    request.layout = job.schema;
    request.charSet = job.charSet;
    if (!job.dnSuffix.isEmpty())
        request.dnSuffix = job.dnSuffix;
    request.progress = job.progress;
    const int answer = exportData(request);
    if (answer >= 0)
        return {answer, Failure::None};
    // The engine answers -1 for both; tell the user which.
    const bool bookOpens = ABSources::openAddressBook("exportData") != nullptr;
    return {answer, bookOpens ? Failure::File : Failure::AddressBook};
}

Outcome runFolderWriter(const Job &job)
{
    auto write = [&job](const QString &basePath) {
        if (job.format == WIN)
            return WinContactWriter::exportDataWin(basePath, job.people, job.mask, job.charSet, job.progress);
        return VCardWriter::exportDataVCARD(basePath, job.people, job.mask, job.charSet, job.singleVCard, job.progress);
    };
    Outcome outcome;
    if (job.format == VCF && job.singleVCard) {
        outcome.answer = write(Documents::filePath(job.name));
    } else {
        const FolderExport::Outcome zipped = FolderExport::writeZipped(job.name, write);
        outcome.answer = zipped.answer;
        if (!zipped.folderMade || (zipped.answer > 0 && !zipped.packaged))
            return {outcome.answer, Failure::File};
    }
    // Both writers answer -1 without an address book, and 0 for selected people when a file
    // could not be written.
    if (outcome.answer < 0)
        outcome.failure = Failure::AddressBook;
    else if (outcome.answer == 0 && job.people.count() > 0)
        outcome.failure = Failure::File;
    return outcome;
}

} // namespace

const Description &ExportFormats::describe(int format)
{
    return kFormats[format];
}

int ExportFormats::formatNamed(const QString &name)
{
    for (int format = 0; format < kCount; ++format) {
        if (name.compare(QLatin1String(kFormats[format].name), Qt::CaseInsensitive) == 0)
            return format;
    }
    return -1;
}

QStringList ExportFormats::names()
{
    QStringList list;
    for (const Description &format : kFormats)
        list.append(QLatin1String(format.name));
    return list;
}

QString ExportFormats::extensionOf(int format, bool singleVCard)
{
    if (format == VCF && !singleVCard)
        return QStringLiteral("zip");
    return QLatin1String(kFormats[format].extension);
}

ExportFormats::Outcome ExportFormats::run(const Job &job)
{
    switch (job.format) {
    case BIN: return runBackup(job);
    case LDIF: return runEngine(job, ExportFormat::LDIF);
    case HTML: return runEngine(job, ExportFormat::HTML);
    case TXT: return runEngine(job, ExportFormat::TXT);
    case CSV: return runEngine(job, ExportFormat::CSV);
    default: return runFolderWriter(job);
    }
}
