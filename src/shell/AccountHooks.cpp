#include "AccountHooks.h"

#include "AppData.h"
#include "platform/DevLog.h"

#include <QPointer>

namespace {
CloudAccountHooks g_cloud;
GoogleAccountHooks g_google;
}

void AccountHooks::setCloud(CloudAccountHooks hooks)
{
    g_cloud = std::move(hooks);
}

void AccountHooks::setGoogle(GoogleAccountHooks hooks)
{
    g_google = std::move(hooks);
}

const CloudAccountHooks &AccountHooks::cloud()
{
    return g_cloud;
}

const GoogleAccountHooks &AccountHooks::google()
{
    return g_google;
}

bool AccountHooks::cloudIsLinked()
{
    return g_cloud.isLinked && g_cloud.isLinked();
}

bool AccountHooks::googleIsLinked()
{
    return g_google.isLinked && g_google.isLinked();
}

void AccountHooks::withGoogleAccount(const char *operation, QObject *context, std::function<void()> then)
{
    if (googleIsLinked()) {
        then();
        return;
    }
    if (!g_google.signIn) {
        DevLog::log(QStringLiteral("%1: no Google sign-in in this program").arg(QLatin1String(operation)));
        return;
    }
    g_google.signIn(AppData::sharedInstance().emailGoogle(),
                    [context = QPointer<QObject>(context), then = std::move(then)](std::optional<QString> email) {
                        if (!email || !context)
                            return;
                        AppData &settings = AppData::sharedInstance();
                        if (settings.emailGoogle().isEmpty() || settings.emailGoogle() != *email) {
                            settings.setEmailGoogle(*email);
                            settings.saveSettings();
                        }
                        then();
                    });
}
