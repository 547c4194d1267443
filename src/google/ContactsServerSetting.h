#pragma once

#include <QString>

// The contacts server of the last successful sign-in, which pre-fills the sign-in screen.
// Kept in "ContactsAccount.plist" in the documents folder next to settings.plist (empty when
// the file is missing or unreadable). Never holds a password.
namespace ContactsServerSetting {
QString load();
// Writes the file atomically; false when it could not be written.
bool save(const QString &server);
}
