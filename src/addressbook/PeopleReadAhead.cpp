#include "PeopleReadAhead.h"

#include "ABConnection.h"
#include "platform/Threads.h"

#include <algorithm>
#include <numeric>

namespace {
constexpr qsizetype kBlockSize = 1000;
// People read together in the order of their identifiers.
constexpr qsizetype kWindowSize = 8 * kBlockSize;
// Blocks read and not yet taken: what is read is handed on while fewer wait, so that the next
// window is read while the caller works on this one.
constexpr size_t kBlocksAhead = kWindowSize / kBlockSize + 2;
// Records a scan may step over between two people it reads.
constexpr qint64 kMostSkippedInAScan = 4;
} // namespace

PeopleReadAhead::PeopleReadAhead(const QString &databasePath, QList<ABRecordID> ids) : m_ids(std::move(ids))
{
    // Where no thread can be had, nothing is read ahead: the caller reads every block itself.
    m_thread = Threads::startIfPossible([this, databasePath] { read(databasePath); });
    if (!m_thread.joinable())
        m_done = true;
}

PeopleReadAhead::~PeopleReadAhead()
{
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void PeopleReadAhead::read(const QString &databasePath)
{
    auto finish = [this] {
        {
            std::lock_guard lock(m_mutex);
            m_done = true;
        }
        m_changed.notify_all();
    };
    // A connection is used on the thread that opened it.
    auto connection = ABConnection::open(databasePath, false);
    if (!connection)
        return finish();
    ABConnection &db = **connection;
    if (!db.exec("BEGIN"))
        return finish();
    // People in list order lie at random places in the book. Read a window at a time in the
    // order of their identifiers, the people of a window that share a page of the book cost one
    // fetch of it instead of one each. A block is handed on once all its people are read: at
    // once in a list that follows the book's order, with the window's last read otherwise.
    ABConnection::Statement st(db, kPeopleBetweenQuery);
    std::vector<qsizetype> byIdentifier;
    std::vector<qsizetype> unreadInBlock;
    qsizetype windowSize = 0;
    for (qsizetype windowStart = 0; windowStart < m_ids.size(); windowStart += windowSize) {
        // The first window is one block, so that the caller starts soon.
        windowSize = qMin(windowStart == 0 ? kBlockSize : kWindowSize, m_ids.size() - windowStart);
        byIdentifier.resize(size_t(windowSize));
        std::iota(byIdentifier.begin(), byIdentifier.end(), windowStart);
        std::sort(byIdentifier.begin(), byIdentifier.end(), [this](qsizetype a, qsizetype b) { return m_ids[a] < m_ids[b]; });
        QList<Person> window(windowSize);
        const qsizetype blocks = (windowSize + kBlockSize - 1) / kBlockSize;
        unreadInBlock.assign(size_t(blocks), kBlockSize);
        unreadInBlock.back() = windowSize - (blocks - 1) * kBlockSize;
        qsizetype handedOn = 0;
        // Notes person `at` of the list read, and hands on the blocks that are then complete;
        // false when the caller has gone.
        auto note = [&](qsizetype at, Person person) {
            window[at - windowStart] = std::move(person);
            if (--unreadInBlock[size_t((at - windowStart) / kBlockSize)] != 0)
                return true;
            qsizetype complete = handedOn;
            while (complete < blocks && unreadInBlock[size_t(complete)] == 0)
                ++complete;
            if (complete == handedOn)
                return true;
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [this] { return m_stop || m_ready.size() < kBlocksAhead; });
            if (m_stop)
                return false;
            for (; handedOn < complete; ++handedOn) {
                QList<Person> &block = m_ready.emplace_back();
                const qsizetype from = handedOn * kBlockSize;
                const qsizetype to = qMin(from + kBlockSize, windowSize);
                block.reserve(to - from);
                std::move(window.begin() + from, window.begin() + to, std::back_inserter(block));
            }
            lock.unlock();
            m_changed.notify_all();
            return true;
        };
        const bool read = readInIdentifierOrder(
            st, byIdentifier.size(), [&](size_t k) { return m_ids[byIdentifier[k]]; },
            [&](size_t k, const Row *row) {
                // A copy: the row's bytes lie in the statement.
                return note(byIdentifier[k], row ? Person{row->id, row->sourceID, QByteArray(row->stored.constData(), row->stored.size()), row->hasImage}
                                                 : Person{m_ids[byIdentifier[k]], kABRecordInvalidID, QByteArray(), false});
            });
        // A block that could not be read in full is not handed on: the caller reads it itself.
        if (!read)
            return finish();
    }
    finish();
}

bool PeopleReadAhead::readInIdentifierOrder(ABConnection::Statement &between, size_t count, const std::function<ABRecordID(size_t k)> &idAt,
                                            const std::function<bool(size_t k, const Row *row)> &note)
{
    for (size_t first = 0; first < count;) {
        size_t last = first;
        while (last + 1 < count && qint64(idAt(last + 1)) - qint64(idAt(last)) <= kMostSkippedInAScan)
            ++last;
        size_t next = first;
        // Notes the people of the run up to identifier `upTo`: those with the row's identifier
        // get the row, those the scan passed by are no person's.
        auto noteUpTo = [&](qint64 upTo, const Row *row) {
            for (; next <= last && idAt(next) <= upTo; ++next) {
                if (!note(next, row && idAt(next) == row->id ? row : nullptr))
                    return false;
            }
            return true;
        };
        between.reset();
        between.bind(1, qint64(idAt(first)));
        between.bind(2, qint64(idAt(last)));
        while (next <= last && between.step()) {
            const Row row{ABRecordID(between.columnInt(0)), between.columnIsNull(1) ? kABRecordInvalidID : ABRecordID(between.columnInt(1)),
                          between.columnBlobInPlace(2), between.columnInt(3) != 0};
            if (!noteUpTo(row.id, &row))
                return false;
        }
        if (between.failed() || !noteUpTo(idAt(last), nullptr))
            return false;
        first = last + 1;
    }
    between.reset();
    return true;
}

std::optional<QList<PeopleReadAhead::Person>> PeopleReadAhead::next()
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return !m_ready.empty() || m_done; });
    if (m_ready.empty())
        return std::nullopt;
    QList<Person> block = std::move(m_ready.front());
    m_ready.pop_front();
    lock.unlock();
    m_changed.notify_all();
    return block;
}
