#include "GoogleAccount.h"

#include "GCLoginController.h"
#include "GCSession.h"
#include "shell/AccountHooks.h"
#include "shell/UiHost.h"

#include <QPointer>

namespace {

void presentSignIn(const QString &email, std::function<void(std::optional<QString>)> done)
{
    UiHost *host = UiHost::current();
    if (!host)
        return done(std::nullopt);
    // A new sign-in screen each time, outside the registry's fixed screens; it goes when dismissed.
    auto *login = new GCLoginController;
    if (!email.isEmpty())
        login->setEmail(email);
    QPointer<GCLoginController> screen(login);
    login->setDelegate([screen, done](std::optional<QString> account) {
        if (UiHost *host = UiHost::current(); host && screen)
            host->dismiss(screen);
        if (screen)
            screen->deleteWhenIdle();
        done(account);
    });
    host->present(login);
}

} // namespace

void GoogleAccount::install()
{
    AccountHooks::setGoogle({[] { return GCSession::sharedSession().isLinked(); }, presentSignIn});
}
