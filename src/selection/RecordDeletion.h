#pragma once

#include "addressbook/EntryData.h"
#include "formats/common/ProgressTarget.h"

#include <functional>

// Deleting the ticked contacts of a list: the backup writer in its delete form writes the
// people of the ticked rows to the recovery file and then removes them from the address book.
namespace RecordDeletion {

// Runs on a worker thread. Writes the people of the rows whose `selected` flag is set to the
// recovery file, removes them from the address book and saves it, reporting progress to
// `progress`. Answers 0 or more, or -1 when the recovery file or the address book could not
// be used; then nobody has been removed. The selection list calls the backup writer
// (BackupFiles::deleteWithRecoveryFile) through it so that tests can stand in for it.
using Writer = std::function<int(const EntryList &rows, ProgressTarget *progress)>;

}
