#pragma once

class QPrinter;

// The print dialog, provided by the window (it needs widgets, which this layer does not use).
// Without a host nothing can be printed.
class PrintDialogHost {
public:
    virtual ~PrintDialogHost() = default;

    static PrintDialogHost *current();
    static void setCurrent(PrintDialogHost *host);

    // Lets the user choose a printer, its settings and the pages for `printer`, which already
    // carries the job name and margins. True when the user chose to print.
    virtual bool choosePrinter(QPrinter &printer) = 0;
};
