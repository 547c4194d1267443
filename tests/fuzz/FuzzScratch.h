#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>

// The scratch folder of a fuzz process: a temporary address book and the input written as a file.
namespace FuzzScratch {
// Points the address book at the scratch folder (first call only) and writes the input into the
// file `name` there. Answers its path; empty when it could not be written.
QString writeInput(const QString &name, const uint8_t *data, size_t size);
// Removes the scratch address book, so that it stays small between inputs.
void resetAddressBook();
}
