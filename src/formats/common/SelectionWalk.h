#pragma once

#include "addressbook/ABAddressBook.h"
#include "addressbook/EntryData.h"

#include <QByteArrayView>

#include <functional>

class ExportOutput;
class ProgressTarget;

// The people a writer writes, in list order: the ticked rows of a list, taken when the writer
// is given them, or record identifiers given directly (a working set of any size needs no rows).
class SelectedPeople {
public:
    SelectedPeople() = default;
    // Any list of rows hands over its ticked rows as they are now.
    SelectedPeople(const EntryList &rows); // NOLINT(google-explicit-constructor)
    explicit SelectedPeople(QList<ABRecordID> ids) : m_ids(std::move(ids)) {}

    const QList<ABRecordID> &ids() const { return m_ids; }
    int count() const { return int(m_ids.size()); }

private:
    QList<ABRecordID> m_ids;
};

// The walk every writer makes over the selected people, in list order.
namespace SelectionWalk {

// Calls `visit` with each selected person who still exists, valid during its visit only
// (ABAddressBook::forEachPersonToRead): people are read a block ahead of the visits and
// nothing is kept, so memory stays flat however many there are. When `progress` is given,
// each visit is first reported to it, on the main thread and waiting, as visited / count,
// leaving out values a progress bar cannot show (ProgressSteps).
void forEachSelectedPerson(ABAddressBook &book, const SelectedPeople &people, ProgressTarget *progress,
                           const std::function<void(const ABRecord &person)> &visit);

// How one part writes a person: its bytes into the part's own output in memory, the
// `out` it was made for (PartWriterMaker). Called on one thread at a time.
using PartWriter = std::function<void(const ABRecord &person)>;
using PartWriterMaker = std::function<PartWriter(ExportOutput &out)>;

// Writes each selected person who still exists into `out`, in list order, as the parts'
// writers write them: the list is cut into slices of a few megabytes of output, and each part
// (one, or two where the machine runs two threads at once, each with a writer from
// `makeWriter`) reads and writes a slice at a time on a thread and a connection of its own
// (ABAddressBook::forEachPersonToReadBySlices), so that the reading and the writing of one
// slice overlap those of the next. The slices go into `out` on this thread, which also reports
// progress as forEachSelectedPerson does. Memory stays flat: a few slices wait at most. False
// when the book could not be read in full.
bool writeSelectedPeople(ABAddressBook &book, const SelectedPeople &people, ProgressTarget *progress, ExportOutput &out,
                         const PartWriterMaker &makeWriter);
// The same, each person's bytes handed to `put` with the person's position in the selection
// instead (on this thread, in list order), for a file that is more than their bytes in a row.
using PersonSink = std::function<void(qsizetype position, QByteArrayView bytes)>;
bool writeSelectedPeople(ABAddressBook &book, const SelectedPeople &people, ProgressTarget *progress, const PersonSink &put,
                         const PartWriterMaker &makeWriter);

}
