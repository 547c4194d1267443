#pragma once

#include "addressbook/EntryData.h"
#include "formats/common/ProgressTarget.h"

#include <QString>

#include <functional>

// Deleting the ticked contacts of a list: the backup writer in its delete form writes the
// people of the ticked rows to the recovery file and then removes them from the address book.
namespace RecordDeletion {

// Runs on a worker thread. Writes the people of the rows whose `selected` flag is set to
// `recoveryPath`, removes them from the address book and saves it, reporting progress to
// `progress`. Answers the number of people removed, or -1 when the recovery file or the
// address book could not be used; then nobody has been removed.
using Writer = std::function<int(const EntryList &rows, const QString &recoveryPath, ProgressTarget *progress)>;

// The backup writer's delete form (formats/backup). The selection list calls it through
// Writer so that tests can watch the call.
int deleteWithRecoveryFile(const EntryList &rows, const QString &recoveryPath, ProgressTarget *progress);

// "trash.vnbin" in the documents folder.
QString recoveryFilePath();

}
