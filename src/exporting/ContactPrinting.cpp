#include "ContactPrinting.h"

#include "ExportEngine.h"
#include "PrintDialogHost.h"
#include "platform/DevLog.h"
#include "platform/Localization.h"
#include "shell/AppData.h"
#include "shell/Documents.h"
#include "shell/UiHost.h"

#include <QFile>

QString ContactPrinting::printFilePath()
{
    return Documents::filePath(QStringLiteral("print.html"));
}

int ContactPrinting::exportPrintFile(const EntryList &rows, ProgressTarget *progress)
{
    const AppData &settings = AppData::sharedInstance();
    ExportRequest request;
    request.path = printFilePath();
    request.people = rows;
    request.format = ExportFormat::HTML;
    request.mask = settings.flagsExp();
    request.layout = ExportFormat::PrintLayout;
    request.charSet = settings.charSet();
    request.progress = progress;
    return exportData(request);
}

ContactPrinting::Outcome ContactPrinting::printExportedFile(PrintDialogHost *dialog)
{
    QFile file(printFilePath());
    if (!file.open(QIODevice::ReadOnly)) {
        DevLog::log(QStringLiteral("printExportedFile cannot read %1: %2").arg(file.fileName(), file.errorString()));
        return Outcome::Failed;
    }
    const QByteArray bytes = file.readAll();
    file.close();
    file.remove();
    // Read back in the character set the page declares, so that accented names survive.
    const QString html = AppData::sharedInstance().charSet() == 0 ? QString::fromUtf8(bytes) : QString::fromLatin1(bytes);
    if (!dialog) {
        DevLog::log(QStringLiteral("Couldn't get shared UIPrintInteractionController!"));
        return Outcome::NoDialog;
    }
    if (!dialog->isPrintingAvailable()) {
        showWarning(L("KNoPrinter"));
        return Outcome::NoPrinter;
    }
    switch (dialog->printHtml(html, QStringLiteral("Contacts"))) {
    case PrintDialogHost::Outcome::Printed: return Outcome::Printed;
    case PrintDialogHost::Outcome::Cancelled: return Outcome::Cancelled;
    case PrintDialogHost::Outcome::Failed: break;
    }
    return Outcome::Failed;
}
