#pragma once

#include <QString>

// The print service, provided by the window: printers, the print dialog and the page layout
// need widgets, which this layer does not use. Without a host nothing can be printed.
class PrintDialogHost {
public:
    enum class Outcome { Printed, Cancelled, Failed };

    virtual ~PrintDialogHost() = default;

    static PrintDialogHost *current();
    static void setCurrent(PrintDialogHost *host);

    // True when any printer can be used; printing to a PDF file counts.
    virtual bool isPrintingAvailable() = 0;
    // Lets the user choose a printer, its settings and the pages for a job named `jobName`
    // (margins of 72 points on all sides), then prints `html` laid out at most 432 points
    // wide. Failed when the printer could not be used or printed nothing.
    virtual Outcome printHtml(const QString &html, const QString &jobName) = 0;
};
