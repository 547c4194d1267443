#include "CloudSignIn.h"

#include "platform/DevLog.h"
#include "platform/Localization.h"
#include "shell/OAuthSession.h"
#include "shell/OAuthSignIn.h"
#include "shell/UiHost.h"

CloudSignIn::CloudSignIn(CloudAccounts::Service service, QObject *parent)
    : QObject(parent), m_service(service)
{
    OAuthSession *session = CloudAccounts::instance().session(service);
    m_signIn = new OAuthSignIn(session->provider(), session->network(), this);
}

CloudSignIn::~CloudSignIn() = default;

void CloudSignIn::start(std::function<void(Result<void>)> done)
{
    const QUrl address = m_signIn->start([service = m_service, done = std::move(done)](Result<OAuthTokens> tokens) {
        if (!tokens) {
            done(Error{L("KUnableToLogin") + QStringLiteral("\n\n") + tokens.error()});
            return;
        }
        // Kept for this run even when the token file cannot be written.
        if (Result<void> stored = CloudAccounts::instance().session(service)->link(*tokens); !stored)
            DevLog::log(QStringLiteral("tokens not stored: %1").arg(stored.error()));
        done({});
    });
    if (UiHost *host = UiHost::current())
        host->openUrl(address);
}

bool CloudSignIn::waitsForPastedCode() const
{
    return m_signIn->waitsForPastedCode();
}

void CloudSignIn::finishWithCode(const QString &code)
{
    m_signIn->finishWithCode(code);
}
