#pragma once

#include "exporting/PrintDialogHost.h"

class QPrinter;
class QWidget;

// The print service of the window: Qt's print dialog with the page range choice, and the
// page laid out by a text document. The window installs one with PrintDialogHost::setCurrent
// at start.
class QtPrintDialogHost : public PrintDialogHost {
public:
    explicit QtPrintDialogHost(QWidget *parent = nullptr) : m_parent(parent) {}

    bool isPrintingAvailable() override;
    Outcome printHtml(const QString &html, const QString &jobName) override;

    // Lays the page out on `printer` with margins of 72 points and at most 432 points of text
    // width, and prints the pages the printer's range asks for. Answers the pages printed; 0 when
    // the printer cannot be used (logged "FAILED! due to error in domain … with error code …").
    static int printPage(const QString &html, QPrinter &printer);

protected:
    // Lets the user choose a printer, its settings and the pages for `printer`, which already
    // carries the job name and margins. True when the user chose to print.
    virtual bool choosePrinter(QPrinter &printer);

private:
    QWidget *m_parent;
};
