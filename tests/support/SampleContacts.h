#pragma once

#include "addressbook/ABAddressBook.h"
#include "addressbook/EntryData.h"

#include <QByteArray>

// A fixed address book for the file writers' golden files: every field family, standard,
// custom and missing labels, a two-line note and street, a small photo, two groups, a first
// name outside ISO 8859-1, a person without names and one known only by an organization.
namespace SampleContacts {

// Adds and saves the people and groups in `book`; answers one selected row per person, in
// the order they were added.
EntryList fill(ABAddressBook &book);

// A 6 x 4 PNG whose pixels follow a fixed pattern.
QByteArray photo();

}
