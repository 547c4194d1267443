#include "QtPrintDialogHost.h"

#include "platform/DevLog.h"

#include <QAbstractTextDocumentLayout>
#include <QImage>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTextDocument>
#include <QUrl>

#include <algorithm>

namespace {

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

void setMargins(QPrinter &printer)
{
    printer.setPageMargins(QMarginsF(kMarginPoints, kMarginPoints, kMarginPoints, kMarginPoints), QPageLayout::Point);
}

} // namespace

bool QtPrintDialogHost::isPrintingAvailable()
{
    if (!QPrinterInfo::availablePrinters().isEmpty())
        return true;
    QPrinter pdf;
    pdf.setOutputFormat(QPrinter::PdfFormat);
    return pdf.isValid();
}

bool QtPrintDialogHost::choosePrinter(QPrinter &printer)
{
    QPrintDialog dialog(&printer, m_parent);
    dialog.setWindowTitle(printer.docName());
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    return dialog.exec() == QDialog::Accepted;
}

PrintDialogHost::Outcome QtPrintDialogHost::printHtml(const QString &html, const QString &jobName)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(jobName);
    setMargins(printer);
    if (!choosePrinter(printer))
        return Outcome::Cancelled;
    return printPage(html, printer) > 0 ? Outcome::Printed : Outcome::Failed;
}

int QtPrintDialogHost::printPage(const QString &html, QPrinter &printer)
{
    // The dialog may have changed the margins.
    setMargins(printer);
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
