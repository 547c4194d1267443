#pragma once

#include "ABConnection.h"
#include "ABRecord.h"
#include "platform/Result.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class ABAddressBook;
using ABAddressBookRef = std::shared_ptr<ABAddressBook>;

// A handle on the address book database (one SQLite file). Open one per operation, on the
// thread that uses it. Changes (added, changed, removed records) live in the handle until
// save(), which commits them in one transaction; only then do handles opened later see them.
// Releasing a handle without saving drops its changes.
class ABAddressBook : public std::enable_shared_from_this<ABAddressBook> {
public:
    // The database file used by create(): set by the program at start (--addressbook), else
    // $VENNARO_ADDRESSBOOK, else $XDG_DATA_HOME/vennaro/addressbook.db.
    static void setDefaultPath(const QString &path);
    static QString defaultPath();

    // Opens the default database; a missing file is created with one local source. A corrupt,
    // locked, foreign or unreadable file gives none and a message, and is left untouched.
    static ABAddressBookRef create(QString *error = nullptr);
    static ABAddressBookRef open(const QString &path, QString *error = nullptr);

    // Access authorization (kABAuthorizationStatus…): kept in the database so that a user or a
    // test can restrict it; a database that cannot be opened counts as not determined.
    static int authorizationStatus();
    // Answers once, on another thread, whether access is granted.
    static void requestAccess(std::function<void(bool granted)> completion);
    bool setAuthorizationStatus(int status, QString *error = nullptr);

    // People.
    QList<ABRecordRef> copyArrayOfAllPeople();
    QList<ABRecordRef> copyArrayOfAllPeopleInSource(const ABRecordRef &source);
    // The people copyArrayOfAllPeople (or …InSource when `source` is given) answers, in the same
    // order, handed to `visit` one by one. Rows are read a block at a time and the records of a
    // finished block that nothing else holds are let go, so memory stays flat however large the
    // book is; a record `visit` keeps or changes stays in the handle.
    void forEachPerson(const ABRecordRef &source, const std::function<void(const ABRecordRef &person)> &visit);
    // The same people in the same order, for a visit that only reads them: a person not loaded
    // in this handle is read into one record used again for the next, valid during its visit
    // only and never part of the handle. Costs no allocation per person (a list of 100,000).
    void forEachPersonToRead(const ABRecordRef &source, const std::function<void(const ABRecord &person)> &visit);
    // The same people in `parts` runs of increasing identifiers, each read on a thread and a
    // connection of its own (the first on the caller's): `visit(part, person)` is called on the
    // part's thread, in identifier order within the part, and every person of a part has a
    // smaller identifier than those of the next; unsaved additions come last, in the last part.
    // All parts read the book in one state. The visits must only read the book while it lasts.
    void forEachPersonToReadInParts(const ABRecordRef &source, int parts,
                                    const std::function<void(int part, const ABRecord &person)> &visit);
    // The people with the given identifiers, each once, read the same way in any order: by
    // parts when they lie close together, else as the next one reads them (then all in part 0).
    // Identifiers of no person are passed over.
    void forEachPersonToReadInParts(const QList<ABRecordID> &ids, int parts,
                                    const std::function<void(int part, const ABRecord &person)> &visit);
    // The people with the given identifiers, in that order, read the same way; identifiers
    // of no person are passed over. A long list is read a block ahead, on a second thread
    // (PeopleReadAhead), while `visit` works on the block before.
    void forEachPersonToRead(const QList<ABRecordID> &ids, const std::function<void(const ABRecord &person)> &visit);
    // Positions `first` up to `end` of a list of identifiers.
    struct ListSlice {
        qsizetype first;
        qsizetype end;
    };
    // The people with the given identifiers, a slice of the list at a time, read the same way
    // on `parts` threads and connections (the first the caller's), all in one state of the
    // book. A part asks take(part) for a slice, on its own thread, until it answers none, and
    // visits its people as visit(part, position, person); asking again means the slice before
    // is done. A slice's people are read in the order of their identifiers: those that share
    // a page of the book cost one fetch of it. Identifiers of no person are passed over. A
    // part no helper can take (no thread, a save by another process in between) comes after
    // the caller's own, on its thread. False when a read failed (a slice then lacks people).
    bool forEachPersonToReadBySlices(const QList<ABRecordID> &ids, int parts,
                                     const std::function<std::optional<ListSlice>(int part)> &take,
                                     const std::function<void(int part, qsizetype position, const ABRecord &person)> &visit);
    // The number of people (of `source` when given), unsaved additions and removals counted.
    int personCount(const ABRecordRef &source = nullptr);
    ABRecordRef personWithRecordID(ABRecordID id);
    // The people with the given identifiers, in the same order (none where there is no such
    // person), read in one pass: for walking many rows.
    QList<ABRecordRef> peopleWithRecordIDs(const QList<ABRecordID> &ids);
    // Forgets the loaded records that nothing outside the handle holds and that carry no
    // unsaved change; later lookups read them again. Of those whose only unsaved change is
    // their values, keeps just the compact stored form until the save. Lets one handle walk
    // (and change) a large book in little memory.
    void releaseUnusedRecords();

    // Groups.
    QList<ABRecordRef> copyArrayOfAllGroups();
    QList<ABRecordRef> copyArrayOfAllGroupsInSource(const ABRecordRef &source);
    ABRecordRef groupWithRecordID(ABRecordID id);

    // Sources, in the order they were made. The default source may be missing.
    QList<ABRecordRef> copyArrayOfAllSources();
    ABRecordRef copyDefaultSource();
    ABRecordRef sourceWithRecordID(ABRecordID id);
    // Adds an account of the given type at once (the device's account settings).
    ABRecordRef addSource(int type, const QString &name, QString *error = nullptr);

    // Changes.
    bool addRecord(const ABRecordRef &record, QString *error = nullptr);
    bool removeRecord(const ABRecordRef &record, QString *error = nullptr);
    bool hasUnsavedChanges() const;
    // Commits every change in one transaction. On failure nothing is written and the changes
    // stay in the handle, except that a large addition (over a thousand records, written ahead
    // in that transaction) is dropped: the handle's later saves fail too, until revert().
    bool save(QString *error = nullptr);
    void revert();

    // The user's preferences for sorting and showing names.
    int sortOrdering();
    int compositeNameFormat();
    bool setSortOrdering(int ordering, QString *error = nullptr);
    bool setCompositeNameFormat(int format, QString *error = nullptr);

    // User-facing texts: a standard label's text ("home" …), a user's own label unchanged;
    // a property's name ("First" …).
    static QString copyLocalizedLabel(const QString &label);
    static QString copyLocalizedPropertyName(ABPropertyID property);

    ~ABAddressBook();

private:
    friend class ABRecord;
    explicit ABAddressBook(std::shared_ptr<ABConnection> connection) : m_connection(std::move(connection)) {}
    Result<void> prepare(bool created);
    QList<ABRecordRef> loadRecords(ABRecordType type, ABRecordID sourceID);
    ABRecordRef loadRecord(ABRecordType type, ABRecordID id);
    // Visits the person this handle holds under `id`, with its unsaved changes, unless it was
    // removed; false when the handle holds no record under `id` (forEachPersonToRead).
    bool visitHeld(ABRecordID id, const std::function<void(const ABRecord &person)> &visit) const;
    // The record that stands for each person read in passing (forEachPersonToRead).
    // `hasImage` when known: a record known to have none never asks.
    void readInPassing(ABRecord &passing, ABRecordID id, ABRecordID sourceID, const QByteArray &storedInPlace,
                       std::optional<bool> hasImage = std::nullopt);
    void preparePassing(ABRecord &passing, std::shared_ptr<ABConnection> connection, int nameFormat);
    // Whether helpers on connections of their own see what this handle sees.
    bool canReadInParts() const;
    // Identifiers from `lowest` to `highest`; open-ended, the first and last part reach past them.
    struct IdentifierSpan {
        qint64 lowest = 0;
        qint64 highest = -1;
        bool openEnded = false;
    };
    // The saved people of `sourceID` (of every source when none) in `span`, read in parts as
    // forEachPersonToReadInParts describes.
    void readInParts(std::optional<ABRecordID> sourceID, IdentifierSpan span, int parts,
                     const std::function<void(int part, const ABRecord &person)> &visit);
    // Runs work(part, connection, passing record) for `parts` parts: part 0 on this thread and
    // connection, the others on helpers with connections of their own, all in the state of the
    // book this connection reads in; a part no helper could take runs after part 0, here.
    void inParts(int parts, const std::function<void(int part, ABConnection &db, ABRecord &passing)> &work);
    // The people of `sourceID` (of every source when none) with identifiers first..last.
    void readPeopleBetween(ABConnection &db, ABRecord &passing, std::optional<ABRecordID> sourceID, qint64 first, qint64 last,
                           const std::function<void(const ABRecord &person)> &visit);
    ABRecordRef adopt(ABRecordType type, ABRecordID id, ABRecordID sourceID, const QByteArray &values);
    QString meta(const char *key);
    bool setMeta(const char *key, const QString &value, QString *error);
    bool writeChanges(QString *error);
    // Gives the records their identifiers as they are inserted.
    bool insertAdded(const QList<ABRecordRef> &records, QString *error);
    void writeAdditionsEarly();
    // Opens the transaction of early writes, under a rollback journal when the file allows.
    bool beginEarlyWrites();
    // After that transaction's COMMIT or ROLLBACK: the file goes back to its write-ahead log.
    void endRollbackJournal();
    // Rolls the open transaction back, and the file goes back to its log.
    void rollBackTransaction();
    void forgetEarlyWrites();
    void rollBack(const QString &failure);
    bool isPending(const ABRecordRef &record) const;

    std::shared_ptr<ABConnection> m_connection;
    QHash<ABRecordID, ABRecordRef> m_loaded;
    // The loaded records releaseUnusedRecords has yet to look at: those read or written since
    // it last ran, and those held outside at an earlier run. A caller that keeps most records
    // (a walk that changes them, an import that links them) must not make every run look at
    // all of them again: the held ones are looked at once half as many new ones came since.
    QList<ABRecordID> m_releaseCandidates;
    QList<ABRecordID> m_heldRecords;
    qsizetype m_candidatesSinceHeldLook = 0;
    QList<ABRecordRef> m_added;
    QList<ABRecordRef> m_removed;
    int m_nameFormat = -1;
    std::optional<ABRecordID> m_defaultSourceID;

    // Many additions (an import) are written as they come, inside the transaction the save
    // then commits, so that they need not all wait in memory. Open: that transaction holds
    // records from m_written.first on. Refused: the database was busy; additions wait in memory
    // as usual. Lost: an early write failed and was rolled back, so the save can only fail
    // (with m_lostError) until revert().
    enum class EarlyWrites { None, Open, Refused, Lost };
    EarlyWrites m_earlyWrites = EarlyWrites::None;
    // The early writes go straight into the file, under a rollback journal (see beginEarlyWrites).
    bool m_rollbackJournal = false;
    // Groups that were given members without an identifier, to be told once those are written.
    QList<std::weak_ptr<ABRecord>> m_groupsWithPendingMembers;
    QString m_lostError;

    // The identifiers the open write transaction gave, first to last, and those of them that
    // went to records other than people: a member among the rest is a person the database
    // holds, and is written without looking it up.
    struct WrittenIdentifiers {
        ABRecordID first = kABRecordInvalidID;
        ABRecordID last = kABRecordInvalidID;
        QSet<ABRecordID> notPeople;
        void note(const ABRecord &record);
        bool isPerson(ABRecordID id) const;
    };
    WrittenIdentifiers m_written;
};
