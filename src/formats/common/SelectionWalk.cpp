#include "SelectionWalk.h"

#include "ProgressSteps.h"
#include "ProgressTarget.h"

#include "shell/MainThread.h"

SelectedPeople::SelectedPeople(const EntryList &rows)
{
    for (const EntryDataRef &row : rows) {
        if (row && row->selected)
            m_ids.append(row->recID);
    }
}

void SelectionWalk::forEachSelectedPerson(ABAddressBook &book, const SelectedPeople &people, ProgressTarget *progress,
                                          const std::function<void(const ABRecord &person)> &visit)
{
    const int total = people.count();
    int done = 0;
    ProgressSteps steps;
    book.forEachPersonToRead(people.ids(), [&](const ABRecord &person) {
        ++done;
        const double value = double(done) / double(total);
        if (progress && steps.moves(value))
            MainThread::callOnMainAndWait([progress, value] { progress->setProgress(value); });
        visit(person);
    });
}
