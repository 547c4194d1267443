#pragma once

#include "addressbook/ABAddressBook.h"
#include "addressbook/EntryData.h"

// A fixed address book for the writers' golden files: every field family with standard,
// custom and missing labels, a multi-line note and street, a photo, two groups, a first name
// outside ISO 8859-1, markup and quotes in values, a person without a first name, a person
// without any name, and a row whose person was deleted after the rows were made.
namespace ExportFixture {

// Builds the people in `book` (saved) and answers the rows in export order.
EntryList build(ABAddressBook &book);

// One selected row per person, in the order given.
EntryList rowsOf(const QList<ABRecordRef> &people);

// A small PNG that is the same on every run.
QByteArray photoPng();

}
