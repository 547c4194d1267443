#pragma once

#include <QString>
#include <QObject>
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
    // Starts linking the account; `linked` runs once it is linked (never when the user gives up).
    std::function<void(std::function<void()> linked)> link;
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
// Runs `then` at once when the Google account is linked; otherwise after the user signed in
// with the sign-in screen, prefilled with the saved address (setting EmailGoogle), which is
// updated. Nothing runs when the user cancels, when `context` went meanwhile, or without a
// sign-in in this program (logged with `operation`).
void withGoogleAccount(const char *operation, QObject *context, std::function<void()> then);
}
