#include "SheetProgress.h"

#include "platform/Localization.h"
#include "shell/MainThread.h"
#include "shell/UiHost.h"

namespace {

void onSheet(const std::function<void(UiHost &host)> &show)
{
    MainThread::callOnMainAndWait([&show] {
        if (UiHost *host = UiHost::current())
            show(*host);
    });
}

} // namespace

void SheetProgress::setProgress(double value)
{
    if (m_steps.moves(value))
        onSheet([value](UiHost &host) { host.setProgress(value); });
}

void SheetProgress::setNumberProgress(int count)
{
    if (m_sinceCount.isValid() && m_sinceCount.elapsed() < kCountIntervalMs)
        return;
    m_sinceCount.start();
    onSheet([count](UiHost &host) { host.setProgressTitle(L("KProcessing").arg(count)); });
}

void SheetProgress::savingData()
{
    onSheet([](UiHost &host) { host.setProgressTitle(L("KCommitData")); });
}
