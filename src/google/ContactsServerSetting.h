#pragma once

#include <QString>

// The contacts server of the last successful sign-in, which pre-fills the sign-in screen: the
// setting ContactsServer of settings.plist (empty by default). Never holds a password.
namespace ContactsServerSetting {
// The setting; taken over once from the file "ContactsAccount.plist" of earlier versions,
// which is removed once settings.plist holds its address.
QString load();
// Changes the setting and writes settings.plist; false when it could not be written.
bool save(const QString &server);
}
