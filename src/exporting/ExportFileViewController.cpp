#include "ExportFileViewController.h"

#include "ExportMessages.h"
#include "FolderExport.h"
#include "formats/common/SelectionWalk.h"
#include "formats/common/SheetProgress.h"
#include "platform/DevLog.h"
#include "platform/Localization.h"
#include "shell/AppData.h"
#include "shell/Documents.h"
#include "shell/UiHost.h"

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
    return SelectedPeople(_eData).count();
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
    for (int format = 0; format < kFormatCount; ++format)
        segments.append(QLatin1String(ExportFormats::describe(format).segment));
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
    const ExportFormats::Description &row = ExportFormats::describe(_format);
    return row.titleKey ? L(row.titleKey) : QLatin1String(row.title);
}

QString ExportFileViewController::formatNote() const
{
    return L(ExportFormats::describe(_format).noteKey);
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
    return ExportFormats::extensionOf(format, _singleVCard);
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

    ExportFormats::Job job;
    job.format = _format;
    job.name = _textFile;
    job.people = _eData;
    job.schema = _schema;
    job.dnSuffix = _textDN;
    job.singleVCard = _singleVCard;
    job.mask = settings.flagsExp();
    job.charSet = settings.charSet();

    _busy = true;
    setLocked(true);
    extension = _format;
    if (UiHost *host = UiHost::current()) {
        host->showProgress(L("KExportInProgress"), false);
        host->setProgress(0);
    }
    auto outcome = std::make_shared<Outcome>();
    runOnWorker(
        [job, outcome]() mutable {
            SheetProgress progress;
            job.progress = &progress;
            *outcome = ExportFormats::run(job);
        },
        [this, outcome, name = job.name] { doneAB(*outcome, name); });
}

void ExportFileViewController::doneAB(const Outcome &outcome, const QString &name)
{
    const QString extensionText = extensionOf(extension);
    // A writer that wrote nothing sent no final progress.
    if (UiHost *host = UiHost::current())
        host->closeProgress();
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
