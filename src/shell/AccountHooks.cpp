#include "AccountHooks.h"

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
