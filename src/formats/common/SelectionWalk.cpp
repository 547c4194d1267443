#include "SelectionWalk.h"

#include "ExportOutput.h"
#include "ProgressSteps.h"
#include "ProgressTarget.h"

#include "shell/MainThread.h"

#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

SelectedPeople::SelectedPeople(const EntryList &rows)
{
    for (const EntryDataRef &row : rows) {
        if (row && row->selected)
            m_ids.append(row->recID);
    }
}

namespace {

// Reports each person visited as visited / selected, on the main thread and waiting, leaving
// out values a progress bar cannot show.
class VisitProgress {
public:
    VisitProgress(ProgressTarget *progress, int total) : m_progress(progress), m_total(total) {}

    void visited()
    {
        const double value = double(++m_done) / double(m_total);
        if (m_progress && m_steps.moves(value))
            MainThread::callOnMainAndWait([this, value] { m_progress->setProgress(value); });
    }

private:
    ProgressTarget *m_progress;
    int m_total;
    int m_done = 0;
    ProgressSteps m_steps;
};

} // namespace

void SelectionWalk::forEachSelectedPerson(ABAddressBook &book, const SelectedPeople &people, ProgressTarget *progress,
                                          const std::function<void(const ABRecord &person)> &visit)
{
    VisitProgress reports(progress, people.count());
    book.forEachPersonToRead(people.ids(), [&](const ABRecord &person) {
        reports.visited();
        visit(person);
    });
}

namespace {

// One part's output and the writer that fills it.
struct Part {
    ExportOutput out;
    SelectionWalk::PartWriter write;
};

// The output a slice aims at. A slice is cut by people before they are written, by the bytes
// per person written so far; the first is short, as nothing is known yet (a photo makes a
// person a hundred times larger).
constexpr qsizetype kSliceBytes = 8 * 1024 * 1024;
constexpr qsizetype kFirstSlice = 256;
constexpr qsizetype kLargestSlice = 64 * 1024;
// Slices taken and not yet put: a part that would go further waits.
constexpr qsizetype kSlicesUnwritten = 3;

// The slices of one walk, from the parts that write them to the sink that takes them in order.
class SliceOrder {
public:
    SliceOrder(const QList<ABRecordID> &ids, const SelectionWalk::PersonSink &put, const std::vector<std::unique_ptr<Part>> &parts,
               VisitProgress &reports)
        : m_ids(ids), m_put(put), m_parts(parts), m_reports(reports), m_taken(parts.size())
    {
    }

    // The next slice for `part`, once the one it had is handed in; none at the end.
    std::optional<ABAddressBook::ListSlice> take(int part)
    {
        Taken &taken = m_taken[size_t(part)];
        std::unique_lock lock(m_mutex);
        if (taken.index >= 0) {
            Written written{taken.first, std::move(taken.spans), QByteArray()};
            QByteArray reuse = takeSpare();
            lock.unlock();
            written.bytes = m_parts[size_t(part)]->out.takeWritten(std::move(reuse));
            lock.lock();
            m_peopleHandedIn += qsizetype(written.spans.size());
            m_bytesHandedIn += written.bytes.size();
            m_ready.emplace(taken.index, std::move(written));
            taken.index = -1;
            m_changed.notify_all();
        }
        for (;;) {
            // The caller's part puts the slices, here and nowhere else.
            if (part == 0)
                writeReady(lock);
            if (m_nextFirst >= m_ids.size())
                return std::nullopt;
            if (m_nextIndex < m_frontier + kSlicesUnwritten)
                break;
            m_changed.wait(lock);
        }
        const qsizetype size = qMin(sliceSize(), m_ids.size() - m_nextFirst);
        taken.index = m_nextIndex++;
        taken.first = m_nextFirst;
        m_nextFirst += size;
        taken.spans.assign(size_t(size), Span{0, kNotVisited});
        return ABAddressBook::ListSlice{taken.first, taken.first + size};
    }

    // Writes person `position` with its part's writer, noting where its bytes lie.
    void write(int part, qsizetype position, const ABRecord &person)
    {
        Taken &taken = m_taken[size_t(part)];
        Part &writer = *m_parts[size_t(part)];
        const qsizetype start = writer.out.size();
        writer.write(person);
        taken.spans[size_t(position - taken.first)] = Span{start, writer.out.size() - start};
    }

    // Puts the slices handed in and not yet put.
    void finish()
    {
        std::unique_lock lock(m_mutex);
        writeReady(lock);
    }

private:
    // Where a person's bytes lie in its slice's.
    struct Span {
        qsizetype start;
        qsizetype size;
    };
    static constexpr qsizetype kNotVisited = -1;
    struct Taken {
        qsizetype index = -1;
        qsizetype first = 0;
        std::vector<Span> spans; // by position in the slice
    };
    struct Written {
        qsizetype first;
        std::vector<Span> spans;
        QByteArray bytes;
    };

    // A buffer for a slice, once used when there is one, with room for what a slice aims at:
    // grown as it fills, it would be copied over and over. Called with the lock held.
    QByteArray takeSpare()
    {
        QByteArray spare;
        if (!m_spare.empty()) {
            spare = std::move(m_spare.back());
            m_spare.pop_back();
        }
        spare.reserve(kSliceBytes + kSliceBytes / 4);
        return spare;
    }

    qsizetype sliceSize() const
    {
        if (m_peopleHandedIn == 0)
            return kFirstSlice;
        const qsizetype perPerson = qMax<qsizetype>(1, m_bytesHandedIn / m_peopleHandedIn);
        return qBound<qsizetype>(1, kSliceBytes / perPerson, kLargestSlice);
    }

    // Puts the slices that come next in the list's order and are handed in, without holding
    // the lock while it does.
    void writeReady(std::unique_lock<std::mutex> &lock)
    {
        for (auto next = m_ready.find(m_frontier); next != m_ready.end(); next = m_ready.find(m_frontier)) {
            Written slice = std::move(next->second);
            m_ready.erase(next);
            lock.unlock();
            for (qsizetype at = 0; at < qsizetype(slice.spans.size()); ++at) {
                const Span &span = slice.spans[size_t(at)];
                if (span.size == kNotVisited)
                    continue;
                m_reports.visited();
                m_put(slice.first + at, QByteArrayView(slice.bytes.constData() + span.start, span.size));
            }
            lock.lock();
            m_spare.push_back(std::move(slice.bytes));
            ++m_frontier;
            m_changed.notify_all();
        }
    }

    const QList<ABRecordID> &m_ids;
    const SelectionWalk::PersonSink &m_put;
    const std::vector<std::unique_ptr<Part>> &m_parts;
    VisitProgress &m_reports;
    std::vector<Taken> m_taken;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::map<qsizetype, Written> m_ready;
    // The buffers of slices in the file, for the slices to come.
    std::vector<QByteArray> m_spare;
    qsizetype m_nextIndex = 0;
    qsizetype m_nextFirst = 0;
    qsizetype m_frontier = 0;
    qsizetype m_peopleHandedIn = 0;
    qsizetype m_bytesHandedIn = 0;
};

} // namespace

bool SelectionWalk::writeSelectedPeople(ABAddressBook &book, const SelectedPeople &people, ProgressTarget *progress,
                                        ExportOutput &out, const PartWriterMaker &makeWriter)
{
    return writeSelectedPeople(book, people, progress, [&out](qsizetype, QByteArrayView bytes) { out << bytes; }, makeWriter);
}

bool SelectionWalk::writeSelectedPeople(ABAddressBook &book, const SelectedPeople &people, ProgressTarget *progress,
                                        const PersonSink &put, const PartWriterMaker &makeWriter)
{
    const QList<ABRecordID> &ids = people.ids();
    // A short list is not worth a second thread and connection.
    constexpr qsizetype kShortList = 64;
    const int partCount = ids.size() >= kShortList && std::thread::hardware_concurrency() > 1 ? 2 : 1;
    std::vector<std::unique_ptr<Part>> parts;
    for (int index = 0; index < partCount; ++index) {
        Part &part = *parts.emplace_back(std::make_unique<Part>());
        part.write = makeWriter(part.out);
    }
    VisitProgress reports(progress, people.count());
    SliceOrder slices(ids, put, parts, reports);
    const bool readInFull = book.forEachPersonToReadBySlices(
        ids, partCount, [&](int part) { return slices.take(part); },
        [&](int part, qsizetype position, const ABRecord &person) { slices.write(part, position, person); });
    slices.finish();
    return readInFull;
}
