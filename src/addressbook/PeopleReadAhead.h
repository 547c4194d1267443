#pragma once

#include "ABConnection.h"
#include "ABConstants.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

// Reads the stored form of people by identifier on a thread and a connection of its own, ahead
// of the caller, and hands them on a block at a time in the order given. A walk in list order
// reads the book at random places; here those reads overlap the caller's work, and are made a
// window of the list at a time in the book's order. All reads are made in one read
// transaction, so the whole walk sees one state of the book.
class PeopleReadAhead {
public:
    struct Person {
        ABRecordID id;
        ABRecordID sourceID;
        QByteArray stored; // empty when the identifier is no person's
        bool hasImage;
    };
    // What is read of one person (bound to the identifier): source, stored values, whether
    // there is an image. Knowing the last here spares a query per person to writers that ask.
    static constexpr const char *kPersonQuery =
        "SELECT source, vals, EXISTS(SELECT 1 FROM images WHERE record = ?1) FROM records WHERE id = ?1 AND type = 0";
    // The same, led by the identifier, of the people with identifiers from ?1 to ?2 in their
    // order: a walk along the records, which the index by type must not replace.
    static constexpr const char *kPeopleBetweenQuery =
        "SELECT id, source, vals, EXISTS(SELECT 1 FROM images WHERE record = records.id) FROM records "
        "WHERE id BETWEEN ?1 AND ?2 AND +type = 0 ORDER BY id";

    // A row of kPeopleBetweenQuery; `stored` lies in the statement, valid until its next step.
    struct Row {
        ABRecordID id;
        ABRecordID sourceID;
        QByteArray stored;
        bool hasImage;
    };
    // Reads with `between` (kPeopleBetweenQuery) the people with the `count` identifiers
    // idAt(0) < idAt(1) < … in that order, and calls note(k, row) for each, with no row for an
    // identifier of no person. People whose identifiers lie close together are read by one
    // scan of the records from the first to the last: a step of a scan costs far less than a
    // lookup. False when a read failed or `note` answered false.
    static bool readInIdentifierOrder(ABConnection::Statement &between, size_t count, const std::function<ABRecordID(size_t k)> &idAt,
                                      const std::function<bool(size_t k, const Row *row)> &note);

    PeopleReadAhead(const QString &databasePath, QList<ABRecordID> ids);
    ~PeopleReadAhead();
    PeopleReadAhead(const PeopleReadAhead &) = delete;
    PeopleReadAhead &operator=(const PeopleReadAhead &) = delete;

    // The next block, one entry per identifier in the order given; none after the last, and
    // none once a read failed: the blocks not handed on are then the caller's to read.
    std::optional<QList<Person>> next();

private:
    void read(const QString &databasePath);

    const QList<ABRecordID> m_ids;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<QList<Person>> m_ready;
    bool m_done = false;
    bool m_stop = false;
    std::thread m_thread;
};
