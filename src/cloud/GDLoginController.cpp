#include "GDLoginController.h"

#include "CloudSignIn.h"
#include "platform/Localization.h"
#include "shell/UiHost.h"

GDLoginController::GDLoginController() : ScreenController(GDLoginScreen) {}

GDLoginController::~GDLoginController() = default;

QString GDLoginController::title() const
{
    return L("KGoogleDriveTitle");
}

QString GDLoginController::note() const
{
    return L("KGoogleDriveNote");
}

QString GDLoginController::buttonTitle() const
{
    return L("KGoogleSignIn");
}

void GDLoginController::signIn()
{
    delete m_signIn;
    m_signIn = new CloudSignIn(CloudAccounts::Drive, this);
    Q_EMIT changed();
    m_signIn->start([this](Result<void> linked) {
        m_signIn->deleteLater();
        m_signIn = nullptr;
        Q_EMIT changed();
        if (!linked) {
            showError(linked.error());
            return;
        }
        const std::function<void()> done = std::exchange(m_done, {});
        if (UiHost *host = UiHost::current())
            host->pop();
        if (done)
            done();
    });
}

void GDLoginController::viewDidDisappear()
{
    // Leaving the screen abandons a sign-in that the browser has not finished.
    delete m_signIn;
    m_signIn = nullptr;
    ScreenController::viewDidDisappear();
}
