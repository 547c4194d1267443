#include "SelectionWalk.h"

#include "formats/common/ProgressTarget.h"

int SelectionWalk::countSelected(const EntryList &rows)
{
    int total = 0;
    for (const EntryDataRef &row : rows) {
        if (row && row->selected)
            ++total;
    }
    return total;
}

void SelectionWalk::preload(ABAddressBook &book, int total)
{
    if (total > 0 && qint64(total) * 2 >= book.personCount())
        book.copyArrayOfAllPeople();
}

void SelectionWalk::forEachSelectedPerson(ABAddressBook &book, const EntryList &rows, int total,
                                          ProgressTarget *progress,
                                          const std::function<void(const ABRecordRef &person)> &write)
{
    int done = 0;
    for (const EntryDataRef &row : rows) {
        if (!row || !row->selected)
            continue;
        ABRecordRef person = book.personWithRecordID(row->recID);
        if (!person)
            continue;
        ++done;
        if (progress)
            progress->setProgress(total > 0 ? double(float(done) / float(total)) : 1.0);
        write(person);
    }
}
