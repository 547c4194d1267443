#pragma once

#include "exporting/PrintDialogHost.h"

class QWidget;

// The print dialog of the window: Qt's own, with the page range choice. The window installs
// one with PrintDialogHost::setCurrent at start.
class QtPrintDialogHost : public PrintDialogHost {
public:
    explicit QtPrintDialogHost(QWidget *parent = nullptr) : m_parent(parent) {}
    bool choosePrinter(QPrinter &printer) override;

private:
    QWidget *m_parent;
};
