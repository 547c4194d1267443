#include "PrintDialogHost.h"

namespace {
PrintDialogHost *g_dialogHost = nullptr;
}

PrintDialogHost *PrintDialogHost::current()
{
    return g_dialogHost;
}

void PrintDialogHost::setCurrent(PrintDialogHost *host)
{
    g_dialogHost = host;
}
