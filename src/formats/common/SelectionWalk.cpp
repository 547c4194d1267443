#include "SelectionWalk.h"

#include "ProgressSteps.h"
#include "ProgressTarget.h"

#include "shell/MainThread.h"

#include <algorithm>

int SelectionWalk::countSelected(const EntryList &rows)
{
    int total = 0;
    for (const EntryDataRef &row : rows) {
        if (row && row->selected)
            ++total;
    }
    return total;
}

namespace {

QList<ABRecordID> selectedIDs(const EntryList &rows)
{
    QList<ABRecordID> ids;
    ids.reserve(rows.size());
    for (const EntryDataRef &row : rows) {
        if (row && row->selected)
            ids.append(row->recID);
    }
    return ids;
}

} // namespace

void SelectionWalk::forEachSelectedPerson(ABAddressBook &book, const EntryList &rows, ProgressTarget *progress,
                                          const std::function<void(const ABRecord &person)> &visit)
{
    const QList<ABRecordID> ids = selectedIDs(rows);
    int done = 0;
    ProgressSteps steps;
    book.forEachPersonToRead(ids, [&](const ABRecord &person) {
        ++done;
        const double value = double(done) / double(ids.size());
        if (progress && steps.moves(value))
            MainThread::callOnMainAndWait([progress, value] { progress->setProgress(value); });
        visit(person);
    });
}

void SelectionWalk::forEachSelectedPersonInAnyOrder(ABAddressBook &book, const EntryList &rows,
                                                    const std::function<void(const ABRecord &person)> &visit)
{
    // In identifier order the reads go through the book's file from start to end.
    QList<ABRecordID> ids = selectedIDs(rows);
    std::sort(ids.begin(), ids.end());
    book.forEachPersonToRead(ids, visit);
}
