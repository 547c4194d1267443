#include "SelectionWalk.h"

#include "ProgressSteps.h"
#include "ProgressTarget.h"

#include "shell/MainThread.h"

namespace {
constexpr qsizetype kBlockSize = 1000;
}

int SelectionWalk::countSelected(const EntryList &rows)
{
    int total = 0;
    for (const EntryDataRef &row : rows) {
        if (row && row->selected)
            ++total;
    }
    return total;
}

void SelectionWalk::forEachSelectedPerson(ABAddressBook &book, const EntryList &rows, ProgressTarget *progress,
                                          const std::function<void(const ABRecord &person)> &visit)
{
    const int total = progress ? countSelected(rows) : 0;
    int done = 0;
    ProgressSteps steps;
    QList<ABRecordID> ids;
    ids.reserve(kBlockSize);
    auto readBlock = [&] {
        book.forEachPersonToRead(ids, [&](const ABRecord &person) {
            ++done;
            const double value = double(done) / double(total);
            if (progress && steps.moves(value))
                MainThread::callOnMainAndWait([progress, value] { progress->setProgress(value); });
            visit(person);
        });
        ids.clear();
    };
    for (const EntryDataRef &row : rows) {
        if (!row || !row->selected)
            continue;
        ids.append(row->recID);
        if (ids.size() == kBlockSize)
            readBlock();
    }
    if (!ids.isEmpty())
        readBlock();
}
