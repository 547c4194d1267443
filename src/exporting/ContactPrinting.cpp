#include "ContactPrinting.h"

#include "ExportEngine.h"
#include "PrintDialogHost.h"
#include "platform/DevLog.h"
#include "platform/Localization.h"
#include "shell/AppData.h"
#include "shell/Documents.h"
#include "shell/MainThread.h"
#include "shell/UiHost.h"

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTextDocument>
#include <QUrl>

#include <algorithm>

namespace {

PrintDialogHost *g_dialogHost = nullptr;

constexpr double kMarginPoints = 72;
constexpr double kContentWidthPoints = 432;

// The page's photos are inline "data:" images, which a text document does not fetch itself.
class PrintDocument : public QTextDocument {
public:
    QVariant loadResource(int type, const QUrl &name) override
    {
        if (type == QTextDocument::ImageResource && name.scheme() == QLatin1String("data")) {
            const QByteArray url = name.toEncoded();
            const qsizetype comma = url.indexOf(',');
            if (comma > 0 && url.left(comma).endsWith(";base64")) {
                QImage image = QImage::fromData(QByteArray::fromBase64(url.mid(comma + 1)));
                if (!image.isNull())
                    return image;
            }
        }
        return QTextDocument::loadResource(type, name);
    }
};

void logPrintFailure(const QPrinter &printer)
{
    DevLog::log(QStringLiteral("FAILED! due to error in domain QPrinter with error code %1").arg(unsigned(printer.printerState())));
}

} // namespace

PrintDialogHost *PrintDialogHost::current()
{
    return g_dialogHost;
}

void PrintDialogHost::setCurrent(PrintDialogHost *host)
{
    g_dialogHost = host;
}

QString ContactPrinting::printFilePath()
{
    return Documents::filePath(QStringLiteral("print.html"));
}

int ContactPrinting::exportPrintFile(const EntryList &rows, ProgressTarget *progress)
{
    const AppData &settings = AppData::sharedInstance();
    ExportRequest request;
    request.path = printFilePath();
    request.entries = rows;
    request.format = ExportFormat::HTML;
    request.mask = settings.flagsExp();
    request.layout = ExportFormat::PrintLayout;
    request.charSet = settings.charSet();
    request.progress = progress;
    return exportData(request);
}

bool ContactPrinting::isPrintingAvailable()
{
    if (!QPrinterInfo::availablePrinters().isEmpty())
        return true;
    QPrinter pdf;
    pdf.setOutputFormat(QPrinter::PdfFormat);
    return pdf.isValid();
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
    if (!isPrintingAvailable()) {
        showWarning(L("KNoPrinter"));
        return Outcome::NoPrinter;
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("Contacts"));
    printer.setPageMargins(QMarginsF(kMarginPoints, kMarginPoints, kMarginPoints, kMarginPoints), QPageLayout::Point);
    if (!dialog->choosePrinter(printer))
        return Outcome::Cancelled;
    return printPage(html, printer) > 0 ? Outcome::Printed : Outcome::Failed;
}

int ContactPrinting::printPage(const QString &html, QPrinter &printer)
{
    printer.setDocName(QStringLiteral("Contacts"));
    printer.setPageMargins(QMarginsF(kMarginPoints, kMarginPoints, kMarginPoints, kMarginPoints), QPageLayout::Point);
    QPainter painter;
    if (!painter.begin(&printer)) {
        logPrintFailure(printer);
        return 0;
    }
    PrintDocument document;
    // Laid out at the printer's resolution, so that fonts and the width are in its units.
    document.documentLayout()->setPaintDevice(&printer);
    document.setDocumentMargin(0);
    document.setHtml(html);
    const QRectF area = printer.pageRect(QPrinter::DevicePixel);
    const double width = std::min(area.width(), kContentWidthPoints * printer.resolution() / 72.0);
    document.setPageSize(QSizeF(width, area.height()));

    const int pageCount = document.pageCount();
    int first = 1;
    int last = pageCount;
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        first = std::max(1, printer.fromPage());
        last = std::min(pageCount, printer.toPage() > 0 ? printer.toPage() : pageCount);
    }
    int printed = 0;
    for (int page = first; page <= last; ++page) {
        if (printed > 0 && !printer.newPage()) {
            logPrintFailure(printer);
            break;
        }
        const QRectF slice(0, (page - 1) * area.height(), width, area.height());
        painter.save();
        painter.translate(0, -slice.top());
        document.drawContents(&painter, slice);
        painter.restore();
        ++printed;
    }
    if (!painter.end() || printer.printerState() == QPrinter::Error) {
        logPrintFailure(printer);
        return 0;
    }
    return printed;
}

void ContactPrinting::printContacts(const EntryList &rows, ProgressTarget *progress, std::function<void()> exported,
                                    std::function<void(Outcome)> done)
{
    auto answer = std::make_shared<int>(0);
    MainThread::runOnWorker([rows, progress, answer] { *answer = exportPrintFile(rows, progress); },
                            [answer, exported = std::move(exported), done = std::move(done)] {
                                if (exported)
                                    exported();
                                Outcome outcome = *answer < 0 ? Outcome::Failed : printExportedFile(PrintDialogHost::current());
                                if (done)
                                    done(outcome);
                            });
}
