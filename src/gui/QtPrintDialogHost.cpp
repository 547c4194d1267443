#include "QtPrintDialogHost.h"

#include <QPrintDialog>
#include <QPrinter>

bool QtPrintDialogHost::choosePrinter(QPrinter &printer)
{
    QPrintDialog dialog(&printer, m_parent);
    dialog.setWindowTitle(printer.docName());
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    return dialog.exec() == QDialog::Accepted;
}
