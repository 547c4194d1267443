#include "PeopleReadAhead.h"

#include "ABConnection.h"
#include "platform/Threads.h"

namespace {
constexpr qsizetype kBlockSize = 1000;
// Blocks read and not yet taken: enough to keep the reader busy, few enough to stay small.
constexpr size_t kBlocksAhead = 2;
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
    bool failed = false;
    {
        // A block that could not be read in full is not handed on: the caller reads it itself.
        ABConnection::Statement st(db, kPersonQuery);
        for (qsizetype from = 0; from < m_ids.size(); from += kBlockSize) {
            QList<Person> block;
            block.reserve(qMin(kBlockSize, m_ids.size() - from));
            for (ABRecordID id : m_ids.mid(from, kBlockSize)) {
                st.reset();
                st.bind(1, qint64(id));
                if (st.step())
                    block.append({id, st.columnIsNull(0) ? kABRecordInvalidID : ABRecordID(st.columnInt(0)), st.columnBlob(1),
                                  st.columnInt(2) != 0});
                else
                    block.append({id, kABRecordInvalidID, QByteArray(), false});
                if (st.failed()) {
                    failed = true;
                    break;
                }
            }
            if (failed)
                break;
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [this] { return m_stop || m_ready.size() < kBlocksAhead; });
            if (m_stop)
                break;
            m_ready.push_back(std::move(block));
            lock.unlock();
            m_changed.notify_all();
        }
    }
    db.exec("COMMIT");
    finish();
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
