#include "UiHost.h"

#include "platform/Localization.h"

#include <atomic>

namespace {
std::atomic<UiHost *> g_current{nullptr};
}

UiHost *UiHost::current()
{
    return g_current;
}

void UiHost::setCurrent(UiHost *host)
{
    g_current = host;
}

void showInfo(const QString &text)
{
    if (UiHost *host = UiHost::current())
        host->showAlert(QStringLiteral("Vennaro"), text);
}

void showWarning(const QString &text)
{
    if (UiHost *host = UiHost::current())
        host->showAlert(L("KWarning"), text);
}

void showError(const QString &text)
{
    if (UiHost *host = UiHost::current())
        host->showAlert(L("KError"), text);
}

std::optional<QString> UiHost::askTextEntry(const QString &title, const QString &text, const TextEntry &)
{
    return askText(title, text, QString());
}
