#pragma once

#include <QString>

// The address book held by another Vennaro window or command for longer than a connection's
// busy timeout. Failures further up often reach the person only as a count or a general text;
// this lets them say why.
namespace AddressBookBusy {
// The text for the person, instead of SQLite's "database is locked".
QString message();
// True when an error text from opening or saving the address book is this one.
bool isCause(const QString &error);
void noteFailure();
// How many such failures this process has met.
int failures();
}
