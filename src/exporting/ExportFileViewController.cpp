#include "ExportFileViewController.h"

#include "ExportEngine.h"
#include "ExportMessages.h"
#include "FolderExport.h"
#include "addressbook/ABSources.h"
#include "formats/backup/BackupExport.h"
#include "formats/vcard/VCardWriter.h"
#include "formats/wincontact/WinContactWriter.h"
#include "platform/DevLog.h"
#include "platform/Localization.h"
#include "shell/AppData.h"
#include "shell/Documents.h"
#include "shell/MainThread.h"
#include "shell/UiHost.h"

#include <QPointer>

namespace {

struct FormatRow {
    const char *segment;
    const char *titleKey; // null: the title is the same in every language
    const char *title;
    const char *noteKey;
    const char *extension;
};

const FormatRow kFormats[ExportFileViewController::kFormatCount] = {
    {"BIN", "KBinary", nullptr, "KBinaryNote", "vnbin"},
    {"LDIF", nullptr, "LDAP Data Interchange Format", "KLDAPNote", "ldif"},
    {"VCF", nullptr, "vCard", "KVCARDNote", "vcf"},
    {"HTML", nullptr, "HTML", "KHTMLNote", "html"},
    {"TXT", "KText", nullptr, "KTxtNote", "txt"},
    {"CSV", nullptr, "Comma separted values", "KCSVNote", "csv"},
    {"WIN", nullptr, "Windows contacts", "KWindowsNote", "zip"},
};

} // namespace

ExportFileViewController::ExportFileViewController(QObject *parent) : ScreenController(ExportFileScreen, parent)
{
    const AppData &settings = AppData::sharedInstance();
    if (settings.saveFilename())
        _textFile = settings.fileName();
}

QString ExportFileViewController::title() const
{
    return L("KSelectFormat");
}

void ExportFileViewController::setData(const EntryList &rows)
{
    _eData = rows;
    Q_EMIT changed();
}

int ExportFileViewController::selectedCount() const
{
    int count = 0;
    for (const EntryDataRef &row : _eData)
        count += row->selected ? 1 : 0;
    return count;
}

QString ExportFileViewController::recordsText() const
{
    return L("KRecsToExport").arg(selectedCount());
}

QString ExportFileViewController::charSetText() const
{
    return AppData::sharedInstance().charSet() == 0 ? QStringLiteral("UTF-8") : QStringLiteral("ISO 8859-1");
}

QStringList ExportFileViewController::formatSegments()
{
    QStringList segments;
    for (const FormatRow &row : kFormats)
        segments.append(QLatin1String(row.segment));
    return segments;
}

void ExportFileViewController::setFormat(int index)
{
    if (index < 0 || index >= kFormatCount)
        return;
    _format = index;
    // The schema choice is built afresh each time LDIF is chosen.
    if (index == LDIF)
        _schema = 0;
    Q_EMIT changed();
}

QString ExportFileViewController::formatTitle() const
{
    const FormatRow &row = kFormats[_format];
    return row.titleKey ? L(row.titleKey) : QLatin1String(row.title);
}

QString ExportFileViewController::formatNote() const
{
    return L(kFormats[_format].noteKey);
}

QStringList ExportFileViewController::schemaSegments()
{
    return {QStringLiteral("Vennaro"), L("KGeneric"), QStringLiteral("Mozilla")};
}

void ExportFileViewController::setSchema(int index)
{
    if (index >= 0 && index <= 2)
        _schema = index;
}

void ExportFileViewController::setSingleVCard(bool on)
{
    _singleVCard = on;
}

QString ExportFileViewController::extensionOf(int format) const
{
    if (format == VCF && !_singleVCard)
        return QStringLiteral("zip");
    return QLatin1String(kFormats[format].extension);
}

void ExportFileViewController::buttonPressed()
{
    if (_busy)
        return;
    if (_textFile.isEmpty()) {
        showError(L("KMissingFilename"));
        return;
    }
    if (!FolderExport::isSafeName(_textFile)) {
        showError(L("KInvalidFilename"));
        return;
    }
    AppData &settings = AppData::sharedInstance();
    if (settings.saveFilename() && _textFile != settings.fileName()) {
        settings.setFileName(_textFile);
        settings.saveSettings();
    }

    Job job;
    job.format = _format;
    job.name = _textFile;
    job.extension = extensionOf(_format);
    job.rows = _eData;
    job.schema = _schema;
    job.dnSuffix = _textDN;
    job.singleVCard = _singleVCard;
    job.mask = settings.flagsExp();
    job.charSet = settings.charSet();
    job.selected = selectedCount();

    _busy = true;
    setLocked(true);
    extension = _format;
    _sheetOpen = true;
    m_progressSteps.reset();
    if (UiHost *host = UiHost::current()) {
        host->showProgress(L("KExportInProgress"), false);
        host->setProgress(0);
    }
    QPointer<ExportFileViewController> self(this);
    MainThread::runOnWorker([self, this, job] {
        const Outcome outcome = runJob(job);
        MainThread::callOnMainAndWait([&] {
            if (self)
                doneAB(outcome, job.name);
        });
    });
}

ExportFileViewController::Outcome ExportFileViewController::runJob(const Job &job)
{
    const QString documents = Documents::getDocumentsDir();
    switch (job.format) {
    case BIN: {
        const int answer = exportDataBIN(documents + QLatin1Char('/') + job.name + QStringLiteral(".vnbin"), job.rows, this, false);
        // The backup writer answers 0 without an address book and -1 when the file fails.
        if (answer < 0)
            return {answer, Failure::File};
        if (answer == 0 && job.selected > 0)
            return {answer, Failure::AddressBook};
        return {answer, Failure::None};
    }
    case LDIF:
        return runEngine(job, ExportFormat::LDIF);
    case HTML:
        return runEngine(job, ExportFormat::HTML);
    case TXT:
        return runEngine(job, ExportFormat::TXT);
    case CSV:
        return runEngine(job, ExportFormat::CSV);
    default:
        return runFolderWriter(job);
    }
}

ExportFileViewController::Outcome ExportFileViewController::runEngine(const Job &job, int engineFormat)
{
    ExportRequest request;
    request.path = Documents::filePath(job.name + QLatin1Char('.') + job.extension);
    request.entries = job.rows;
    request.format = engineFormat;
    request.mask = job.mask;
    request.layout = job.schema;
    request.charSet = job.charSet;
    if (!job.dnSuffix.isEmpty())
        request.dnSuffix = job.dnSuffix;
    request.progress = this;
    const int answer = exportData(request);
    if (answer >= 0)
        return {answer, Failure::None};
    // The engine answers -1 for both; tell the user which.
    const bool bookOpens = ABSources::openAddressBook("exportData") != nullptr;
    return {answer, bookOpens ? Failure::File : Failure::AddressBook};
}

ExportFileViewController::Outcome ExportFileViewController::runFolderWriter(const Job &job)
{
    auto write = [&](const QString &basePath) {
        if (job.format == WIN)
            return WinContactWriter::exportDataWin(basePath, job.rows, job.mask, job.charSet, this);
        return VCardWriter::exportDataVCARD(basePath, job.rows, job.mask, job.charSet, job.singleVCard, this);
    };
    Outcome outcome;
    if (job.format == VCF && job.singleVCard) {
        outcome.answer = write(Documents::filePath(job.name));
    } else {
        const FolderExport::Outcome zipped = FolderExport::writeZipped(job.name, write);
        outcome.answer = zipped.answer;
        if (!zipped.folderMade || (zipped.answer >= 0 && !zipped.packaged))
            return {outcome.answer, Failure::File};
    }
    // Both writers answer -1 without an address book; the vCard writer answers 0 for selected
    // rows when its single file cannot be created.
    if (outcome.answer < 0)
        outcome.failure = Failure::AddressBook;
    else if (outcome.answer == 0 && job.selected > 0)
        outcome.failure = Failure::File;
    return outcome;
}

void ExportFileViewController::setProgress(double value)
{
    if (!m_progressSteps.moves(value))
        return;
    QPointer<ExportFileViewController> self(this);
    MainThread::callOnMainAndWait([self, value] {
        if (self)
            self->showProgressValue(value);
    });
}

void ExportFileViewController::showProgressValue(double value)
{
    if (!_sheetOpen)
        return;
    if (UiHost *host = UiHost::current())
        host->setProgress(value);
    if (value >= 1)
        _sheetOpen = false;
}

void ExportFileViewController::doneAB(const Outcome &outcome, const QString &name)
{
    const QString extensionText = extensionOf(extension);
    // A writer that wrote nothing sent no final progress.
    if (_sheetOpen) {
        _sheetOpen = false;
        if (UiHost *host = UiHost::current())
            host->closeProgress();
    }
    _busy = false;
    setLocked(false);
    switch (outcome.failure) {
    case Failure::None:
        showInfo(ExportMessages::resultMessage(outcome.answer, name, extensionText));
        break;
    case Failure::AddressBook:
        showError(L("KErrCreateAddrBook"));
        break;
    case Failure::File:
        showError(L("KErrWriteFile").arg(name, extensionText));
        break;
    }
    Q_EMIT changed();
}
