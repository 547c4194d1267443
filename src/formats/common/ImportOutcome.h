#pragma once

#include <QString>

// What a reader answers: the number of persons it added (0 for none), or why it added none.
namespace ImportOutcome {
// The file could not be read, or the address book could not be opened or saved.
constexpr int kFailed = -1;
// Another window or command held the address book past the wait: the person can try again.
constexpr int kAddressBookBusy = -3;

// The answer for a failure to open or save the address book with `error`.
int failure(const QString &error);
// The message shown for an answer: "3 records added.", "No records found.", the busy text or
// "Error importing file.".
QString message(int result);
}
