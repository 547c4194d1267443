#pragma once

#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

// The shell's view of the two online accounts, filled in by the libraries that implement them
// (cloud storage, Google contacts) when they are linked into the program. Without an
// implementation an account is never linked and sign-in is unavailable.

struct CloudAccountHooks {
    std::function<void()> setup;                 // at launch
    std::function<bool(const QUrl &)> handleUrl; // the return from a sign-in; false: not ours
    std::function<bool()> isLinked;
    std::function<void()> unlinkAll;
};

struct GoogleAccountHooks {
    std::function<bool()> isLinked;
    // Presents the sign-in screen prefilled with `email`; `done` gets the signed-in address,
    // or none when the user cancelled.
    std::function<void(const QString &email, std::function<void(std::optional<QString>)> done)> signIn;
};

namespace AccountHooks {
void setCloud(CloudAccountHooks hooks);
void setGoogle(GoogleAccountHooks hooks);
const CloudAccountHooks &cloud();
const GoogleAccountHooks &google();

bool cloudIsLinked();
bool googleIsLinked();
}
