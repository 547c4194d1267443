#include "ABAddressBook.h"

#include "ABRecordCodec.h"
#include "PeopleReadAhead.h"
#include "platform/Threads.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QMutex>
#include <QStandardPaths>

#include <algorithm>
#include <atomic>
#include <future>
#include <iterator>
#include <latch>
#include <limits>
#include <optional>
#include <thread>
#include <tuple>

namespace {

QMutex g_pathMutex;
QString g_defaultPath;

constexpr int kSchemaVersion = 1;

const char *const kSchema = R"sql(
CREATE TABLE meta(key TEXT PRIMARY KEY, value TEXT);
CREATE TABLE records(id INTEGER PRIMARY KEY AUTOINCREMENT, type INTEGER NOT NULL,
                     source INTEGER, vals BLOB NOT NULL);
CREATE INDEX records_by_type ON records(type, source);
CREATE TABLE images(record INTEGER PRIMARY KEY, data BLOB NOT NULL);
CREATE TABLE members(grp INTEGER NOT NULL, person INTEGER NOT NULL, position INTEGER NOT NULL,
                     PRIMARY KEY(grp, person));
CREATE INDEX members_by_person ON members(person);
)sql";

// The tables of the file; an empty file has none.
Result<int> tableCount(ABConnection &db)
{
    ABConnection::Statement tables(db, "SELECT COUNT(*) FROM sqlite_master WHERE type = 'table'");
    if (!tables.step())
        return Error{db.error()};
    return tables.columnInt(0);
}

// Whether `db` is an address book of this version; the statements are done when it answers.
Result<void> checkSchema(ABConnection &db)
{
    ABConnection::Statement tables(db, "SELECT COUNT(*) FROM sqlite_master WHERE type = 'table' AND name = 'meta'");
    if (!tables.step())
        return Error{db.error()};
    if (tables.columnInt(0) == 0)
        return Error{QStringLiteral("not a Vennaro address book")};
    ABConnection::Statement check(db, "SELECT value FROM meta WHERE key = 'schema'");
    if (!check.step())
        return Error{check.failed() ? db.error() : QStringLiteral("not a Vennaro address book")};
    if (check.columnText(0).toInt() != kSchemaVersion)
        return Error{QStringLiteral("address book format %1 is not supported").arg(check.columnText(0))};
    return {};
}

} // namespace

void ABAddressBook::setDefaultPath(const QString &path)
{
    QMutexLocker lock(&g_pathMutex);
    g_defaultPath = path;
}

QString ABAddressBook::defaultPath()
{
    QMutexLocker lock(&g_pathMutex);
    if (!g_defaultPath.isEmpty())
        return g_defaultPath;
    QString fromEnvironment = qEnvironmentVariable("VENNARO_ADDRESSBOOK");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
           + QStringLiteral("/vennaro/addressbook.db");
}

ABAddressBookRef ABAddressBook::create(QString *error)
{
    return open(defaultPath(), error);
}

ABAddressBookRef ABAddressBook::open(const QString &path, QString *error)
{
    QFileInfo info(path);
    if (!info.exists())
        QDir().mkpath(info.absolutePath());
    auto connection = ABConnection::open(path, true);
    if (!connection) {
        if (error)
            *error = connection.error();
        return nullptr;
    }
    // A file without tables (new, or left empty) is laid out; any other is checked.
    const Result<int> tables = tableCount(**connection);
    ABAddressBookRef book(new ABAddressBook(*connection));
    Result<void> ready = book->prepare(tables && *tables == 0);
    if (!ready) {
        if (error)
            *error = QStringLiteral("Cannot use the address book %1: %2").arg(path, ready.error());
        return nullptr;
    }
    return book;
}

ABAddressBook::~ABAddressBook()
{
    // Records may keep the connection open after the handle: its transaction must not outlive it.
    if (m_earlyWrites == EarlyWrites::Open)
        rollBackTransaction();
}

Result<void> ABAddressBook::prepare(bool created)
{
    ABConnection &db = *m_connection;
    if (created) {
        // A fresh file: lay out the tables and the local source in one transaction. A record
        // takes about half a kilobyte, so 16 KB pages hold a few dozen each: a large import
        // or export makes a quarter of the reads and writes it would with the 4 KB default
        // (the size is fixed when the first table is made; older books keep theirs).
        db.exec("PRAGMA page_size=16384");
        if (auto r = db.exec("PRAGMA journal_mode=WAL"); !r)
            return r;
        if (auto r = db.exec("BEGIN IMMEDIATE"); !r)
            return r;
        // Another window or command that found the file empty too may have laid it out while
        // this one waited for the lock: it is then used as it is.
        const Result<int> tables = tableCount(db);
        bool ok = tables && (*tables > 0 || db.exec(kSchema).ok());
        if (ok && *tables == 0) {
            ABConnection::Statement meta(db, "INSERT INTO meta(key, value) VALUES (?, ?)");
            const std::pair<const char *, QString> rows[] = {
                {"schema", QString::number(kSchemaVersion)},
                {"sort_ordering", QString::number(kABPersonSortByLastName)},
                {"name_format", QString::number(kABPersonCompositeNameFormatFirstNameFirst)},
                {"authorization", QString::number(kABAuthorizationStatusAuthorized)},
            };
            for (const auto &[key, value] : rows) {
                meta.reset();
                meta.bind(1, QString::fromLatin1(key));
                meta.bind(2, value);
                meta.step();
                ok = ok && !meta.failed();
            }
            QHash<ABPropertyID, QVariant> local{{kABSourceTypeProperty, qint64(kABSourceTypeLocal)},
                                                {kABSourceNameProperty, QStringLiteral("Local")}};
            ABConnection::Statement source(db, "INSERT INTO records(type, source, vals) VALUES (2, NULL, ?)");
            source.bind(1, ABRecordCodec::encode(local));
            source.step();
            ok = ok && !source.failed();
            ABConnection::Statement def(db, "INSERT INTO meta(key, value) VALUES ('default_source', ?)");
            def.bind(1, QString::number(db.lastInsertRowID()));
            def.step();
            ok = ok && !def.failed();
        }
        if (!ok) {
            QString why = db.error();
            db.exec("ROLLBACK");
            return Error{why};
        }
        if (auto r = db.exec("COMMIT"); !r)
            return r;
    }
    db.exec("PRAGMA synchronous=NORMAL");
    // The statement journals of a large save (a few pages per statement) stay in memory
    // instead of going through a temporary file page by page.
    db.exec("PRAGMA temp_store=MEMORY");
    if (auto r = checkSchema(db); !r)
        return r;
    // A large write that could not go back to the log, or did not end, left the book under a
    // rollback journal (see beginEarlyWrites): the first handle alone with it puts the log back.
    if (!created)
        db.switchJournal("wal");
    return {};
}

QString ABAddressBook::meta(const char *key)
{
    ABConnection::Statement st(*m_connection, "SELECT value FROM meta WHERE key = ?");
    st.bind(1, QString::fromLatin1(key));
    return st.step() ? st.columnText(0) : QString();
}

bool ABAddressBook::setMeta(const char *key, const QString &value, QString *error)
{
    ABConnection::Statement st(*m_connection, "INSERT OR REPLACE INTO meta(key, value) VALUES (?, ?)");
    st.bind(1, QString::fromLatin1(key));
    st.bind(2, value);
    st.step();
    if (st.failed() && error)
        *error = m_connection->error();
    return !st.failed();
}

int ABAddressBook::authorizationStatus()
{
    ABAddressBookRef book = create();
    return book ? book->meta("authorization").toInt() : kABAuthorizationStatusNotDetermined;
}

bool ABAddressBook::setAuthorizationStatus(int status, QString *error)
{
    return setMeta("authorization", QString::number(status), error);
}

void ABAddressBook::requestAccess(std::function<void(bool)> completion)
{
    auto answer = [completion = std::move(completion)] {
        int status = authorizationStatus();
        completion(status == kABAuthorizationStatusAuthorized || status == kABAuthorizationStatusNotDetermined);
    };
    // Where no thread can be had, the answer comes on this one.
    std::thread thread = Threads::startIfPossible(answer);
    if (thread.joinable())
        thread.detach();
    else
        answer();
}

int ABAddressBook::sortOrdering()
{
    return meta("sort_ordering").toInt();
}

int ABAddressBook::compositeNameFormat()
{
    if (m_nameFormat < 0)
        m_nameFormat = meta("name_format").toInt();
    return m_nameFormat;
}

bool ABAddressBook::setSortOrdering(int ordering, QString *error)
{
    return setMeta("sort_ordering", QString::number(ordering), error);
}

bool ABAddressBook::setCompositeNameFormat(int format, QString *error)
{
    m_nameFormat = format;
    return setMeta("name_format", QString::number(format), error);
}

ABRecordRef ABAddressBook::adopt(ABRecordType type, ABRecordID id, ABRecordID sourceID, const QByteArray &values)
{
    if (ABRecordRef known = m_loaded.value(id))
        return known;
    ABRecordRef record(new ABRecord(type, sourceID));
    record->m_id = id;
    record->m_stored.assign(values);
    record->m_connection = m_connection;
    record->m_book = weak_from_this();
    record->m_nameFormat = compositeNameFormat();
    if (type == kABPersonType)
        record->m_imageLoaded = false;
    if (type == kABGroupType) {
        ABConnection::Statement members(*m_connection, "SELECT person FROM members WHERE grp = ? ORDER BY position");
        members.bind(1, qint64(id));
        while (members.step())
            record->m_memberIDs.append(ABRecordID(members.columnInt(0)));
        record->m_memberIDSet = QSet<ABRecordID>(record->m_memberIDs.begin(), record->m_memberIDs.end());
    }
    m_loaded.insert(id, record);
    m_releaseCandidates.append(id);
    return record;
}

bool ABAddressBook::isPending(const ABRecordRef &record) const
{
    return record->m_change == ABRecord::Change::Removed;
}

QList<ABRecordRef> ABAddressBook::loadRecords(ABRecordType type, ABRecordID sourceID)
{
    QList<ABRecordRef> records;
    const char *sql = sourceID == kABRecordInvalidID
                          ? "SELECT id, source, vals FROM records WHERE type = ? ORDER BY id"
                          : "SELECT id, source, vals FROM records WHERE type = ? AND source = ? ORDER BY id";
    ABConnection::Statement st(*m_connection, sql);
    st.bind(1, qint64(type));
    if (sourceID != kABRecordInvalidID)
        st.bind(2, qint64(sourceID));
    while (st.step()) {
        ABRecordID id = ABRecordID(st.columnInt(0));
        ABRecordRef record = m_loaded.value(id);
        if (!record)
            record = adopt(type, id, st.columnIsNull(1) ? kABRecordInvalidID : ABRecordID(st.columnInt(1)), st.columnBlob(2));
        if (!isPending(record))
            records.append(record);
    }
    for (const ABRecordRef &record : m_added) {
        if (record->recordType() == type && (sourceID == kABRecordInvalidID || record->sourceID() == sourceID))
            records.append(record);
    }
    return records;
}

ABRecordRef ABAddressBook::loadRecord(ABRecordType type, ABRecordID id)
{
    if (id < 0)
        return nullptr;
    ABRecordRef record = m_loaded.value(id);
    if (!record) {
        ABConnection::Statement st(*m_connection, "SELECT source, vals FROM records WHERE id = ? AND type = ?");
        st.bind(1, qint64(id));
        st.bind(2, qint64(type));
        if (!st.step())
            return nullptr;
        record = adopt(type, id, st.columnIsNull(0) ? kABRecordInvalidID : ABRecordID(st.columnInt(0)), st.columnBlob(1));
    }
    if (record->recordType() != type || isPending(record))
        return nullptr;
    return record;
}

QList<ABRecordRef> ABAddressBook::copyArrayOfAllPeople()
{
    return loadRecords(kABPersonType, kABRecordInvalidID);
}

QList<ABRecordRef> ABAddressBook::copyArrayOfAllPeopleInSource(const ABRecordRef &source)
{
    return source ? loadRecords(kABPersonType, source->recordID()) : QList<ABRecordRef>();
}

void ABAddressBook::forEachPerson(const ABRecordRef &source, const std::function<void(const ABRecordRef &)> &visit)
{
    constexpr qint64 kBlockSize = 1000;
    const ABRecordID sourceID = source ? source->recordID() : kABRecordInvalidID;
    // Without a source, the type index would make each block sort every person again: the rows
    // are read in identifier order instead, skipping the few groups and sources.
    const char *sql = source ? "SELECT id, source, vals FROM records WHERE type = 0 AND source = ?3 AND id > ?1 ORDER BY id LIMIT ?2"
                             : "SELECT id, source, vals FROM records WHERE +type = 0 AND id > ?1 ORDER BY id LIMIT ?2";
    QList<ABRecordRef> block;
    block.reserve(kBlockSize);
    qint64 after = -1;
    qint64 read = 0;
    do {
        {
            // Each block is read in full before any visit, so that a visit may use the handle.
            ABConnection::Statement st(*m_connection, sql);
            st.bind(1, after);
            st.bind(2, kBlockSize);
            if (source)
                st.bind(3, qint64(sourceID));
            for (read = 0; st.step(); ++read) {
                after = st.columnInt(0);
                ABRecordRef record = adopt(kABPersonType, ABRecordID(after),
                                           st.columnIsNull(1) ? kABRecordInvalidID : ABRecordID(st.columnInt(1)), st.columnBlob(2));
                if (!isPending(record))
                    block.append(std::move(record));
            }
        }
        for (const ABRecordRef &person : std::as_const(block))
            visit(person);
        block.clear();
        releaseUnusedRecords();
    } while (read == kBlockSize);
    const QList<ABRecordRef> added = m_added;
    for (const ABRecordRef &record : added) {
        if (record->isPerson() && (!source || record->sourceID() == sourceID))
            visit(record);
    }
}

void ABAddressBook::readInPassing(ABRecord &passing, ABRecordID id, ABRecordID sourceID, const QByteArray &storedInPlace,
                                  std::optional<bool> hasImage)
{
    if (!passing.m_connection)
        preparePassing(passing, m_connection, compositeNameFormat());
    passing.m_id = id;
    passing.m_sourceID = sourceID;
    passing.m_stored.assign(storedInPlace);
    passing.m_imageLoaded = hasImage == false; // loaded as "none"
    passing.m_image.reset();
}

void ABAddressBook::preparePassing(ABRecord &passing, std::shared_ptr<ABConnection> connection, int nameFormat)
{
    passing.m_connection = std::move(connection);
    passing.m_book = weak_from_this();
    passing.m_nameFormat = nameFormat;
}

bool ABAddressBook::visitHeld(ABRecordID id, const std::function<void(const ABRecord &person)> &visit) const
{
    const ABRecordRef held = m_loaded.value(id);
    if (held && held->isPerson() && !isPending(held))
        visit(*held);
    return bool(held);
}

void ABAddressBook::forEachPersonToRead(const ABRecordRef &source, const std::function<void(const ABRecord &person)> &visit)
{
    forEachPersonToReadInParts(source, 1, [&visit](int, const ABRecord &person) { visit(person); });
}

namespace {

// Starts the read transaction of a BEGIN: from here the connection sees one state of the book.
bool startReading(ABConnection &db)
{
    if (!db.exec("BEGIN"))
        return false;
    ABConnection::Statement st(db, "SELECT 1 FROM meta LIMIT 1");
    st.step();
    return !st.failed();
}

// Changes whenever another connection has committed since the last time it was asked.
qint64 dataVersion(ABConnection &db)
{
    ABConnection::Statement st(db, "PRAGMA data_version");
    return st.step() ? st.columnInt(0) : -1;
}

} // namespace

void ABAddressBook::forEachPersonToReadInParts(const ABRecordRef &source, int parts,
                                               const std::function<void(int part, const ABRecord &person)> &visit)
{
    const std::optional<ABRecordID> sourceID = source ? std::optional(source->recordID()) : std::nullopt;
    IdentifierSpan span;
    if (parts > 1 && canReadInParts()) {
        ABConnection::Statement st(*m_connection, "SELECT min(id), max(id) FROM records");
        if (st.step() && !st.columnIsNull(0))
            span = {st.columnInt(0), st.columnInt(1)};
    }
    // People saved by another process after the span was asked for are read all the same.
    span.openEnded = true;
    readInParts(sourceID, span, parts, visit);
    for (const ABRecordRef &record : std::as_const(m_added)) {
        if (record->isPerson() && (!sourceID || record->sourceID() == *sourceID))
            visit(parts - 1, *record);
    }
}

void ABAddressBook::forEachPersonToReadInParts(const QList<ABRecordID> &ids, int parts,
                                               const std::function<void(int part, const ABRecord &person)> &visit)
{
    std::vector<ABRecordID> sorted;
    sorted.reserve(size_t(ids.size()));
    std::copy_if(ids.begin(), ids.end(), std::back_inserter(sorted), [](ABRecordID id) { return id >= 0; });
    if (sorted.empty())
        return;
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    const qint64 lowest = sorted.front();
    const qint64 highest = sorted.back();
    // A scan passes over the people between the wanted ones; it pays while they are few. A few
    // people spread over a large book are looked up one by one instead.
    constexpr qint64 kScannedPerWanted = 4;
    if (qint64(sorted.size()) * kScannedPerWanted < highest - lowest + 1) {
        forEachPersonToRead(QList<ABRecordID>(sorted.begin(), sorted.end()),
                            [&visit](const ABRecord &person) { visit(0, person); });
        return;
    }
    std::vector<bool> wanted(size_t(highest - lowest + 1), false);
    for (ABRecordID id : sorted)
        wanted[size_t(id - lowest)] = true;
    readInParts(std::nullopt, {lowest, highest, false}, parts, [&](int part, const ABRecord &person) {
        const qint64 id = person.recordID();
        if (id >= lowest && id <= highest && wanted[size_t(id - lowest)])
            visit(part, person);
    });
}

bool ABAddressBook::canReadInParts() const
{
    // Additions written ahead are seen by this connection only.
    return !m_connection->path().isEmpty() && m_earlyWrites != EarlyWrites::Open;
}

void ABAddressBook::readInParts(std::optional<ABRecordID> sourceID, IdentifierSpan span, int parts,
                                const std::function<void(int part, const ABRecord &person)> &visit)
{
    if (!canReadInParts() || span.lowest > span.highest)
        parts = 1;
    // Part k holds the identifiers from firstOf(k) to firstOf(k + 1) - 1.
    auto firstOf = [&](int part) {
        if (part == 0)
            return span.openEnded ? std::numeric_limits<qint64>::min() : span.lowest;
        if (part == parts)
            return span.openEnded ? std::numeric_limits<qint64>::max() : span.highest + 1;
        return span.lowest + (span.highest - span.lowest + 1) * part / parts;
    };
    inParts(parts, [&](int part, ABConnection &db, ABRecord &passing) {
        readPeopleBetween(db, passing, sourceID, firstOf(part), firstOf(part + 1) - 1,
                          [&](const ABRecord &person) { visit(part, person); });
    });
}

void ABAddressBook::inParts(int parts, const std::function<void(int part, ABConnection &db, ABRecord &passing)> &work)
{
    const QString path = m_connection->path();
    const int nameFormat = compositeNameFormat();
    // Each helper works on a connection of its own, and only in the state of the book this
    // connection reads in: it asks for the data version before this connection starts
    // reading and again once it has started itself; when another process saved in between,
    // the part is left to this connection.
    std::latch asked(parts - 1);
    std::promise<void> started;
    const std::shared_future<void> mainStarted = started.get_future().share();
    std::vector<char> doneByHelper(size_t(parts), 0);
    std::vector<std::thread> helpers;
    for (int part = 1; part < parts; ++part) {
        // Where no thread can be had, the parts without a helper are this connection's.
        std::thread helper = Threads::startIfPossible([&, part] {
            Result<std::shared_ptr<ABConnection>> connection = ABConnection::open(path, false);
            const qint64 before = connection ? dataVersion(**connection) : -1;
            asked.count_down();
            mainStarted.wait();
            if (before < 0 || !startReading(**connection) || dataVersion(**connection) != before)
                return;
            ABRecord passing(kABPersonType, kABRecordInvalidID);
            preparePassing(passing, *connection, nameFormat);
            work(part, **connection, passing);
            (*connection)->exec("COMMIT");
            doneByHelper[size_t(part)] = 1;
        });
        if (!helper.joinable()) {
            asked.count_down(parts - part);
            break;
        }
        helpers.push_back(std::move(helper));
    }
    asked.wait();
    const bool inTransaction = parts > 1 && startReading(*m_connection);
    started.set_value();
    ABRecord passing(kABPersonType, kABRecordInvalidID);
    preparePassing(passing, m_connection, nameFormat);
    work(0, *m_connection, passing);
    for (std::thread &helper : helpers)
        helper.join();
    for (int part = 1; part < parts; ++part) {
        if (!doneByHelper[size_t(part)])
            work(part, *m_connection, passing);
    }
    if (inTransaction)
        m_connection->exec("COMMIT");
}

bool ABAddressBook::forEachPersonToReadBySlices(const QList<ABRecordID> &ids, int parts,
                                                const std::function<std::optional<ListSlice>(int part)> &take,
                                                const std::function<void(int part, qsizetype position, const ABRecord &person)> &visit)
{
    // A person held here is visited as it is held, which only this thread may do.
    if (!canReadInParts() || std::any_of(m_loaded.cbegin(), m_loaded.cend(), [](const ABRecordRef &held) { return held->isPerson(); }))
        parts = 1;
    std::atomic<bool> readInFull = true;
    inParts(parts, [&](int part, ABConnection &db, ABRecord &passing) {
        ABConnection::Statement between(db, PeopleReadAhead::kPeopleBetweenQuery);
        std::vector<qsizetype> byIdentifier;
        while (std::optional<ListSlice> slice = take(part)) {
            byIdentifier.clear();
            for (qsizetype position = slice->first; position < slice->end; ++position) {
                if (ids[position] >= 0)
                    byIdentifier.push_back(position);
            }
            std::sort(byIdentifier.begin(), byIdentifier.end(), [&ids](qsizetype a, qsizetype b) { return ids[a] < ids[b]; });
            const bool read = PeopleReadAhead::readInIdentifierOrder(
                between, byIdentifier.size(), [&](size_t k) { return ids[byIdentifier[k]]; },
                [&](size_t k, const PeopleReadAhead::Row *row) {
                    const qsizetype position = byIdentifier[k];
                    if (!visitHeld(ids[position], [&](const ABRecord &held) { visit(part, position, held); }) && row) {
                        readInPassing(passing, row->id, row->sourceID, row->stored, row->hasImage);
                        visit(part, position, passing);
                    }
                    return true;
                });
            // The slice counts as done all the same, so that the caller's walk goes on to its end.
            if (!read)
                readInFull = false;
        }
    });
    return readInFull;
}

void ABAddressBook::readPeopleBetween(ABConnection &db, ABRecord &passing, std::optional<ABRecordID> sourceID, qint64 first,
                                      qint64 last, const std::function<void(const ABRecord &person)> &visit)
{
    ABConnection::Statement st(db, sourceID ? "SELECT id, source, vals FROM records WHERE type = 0 AND source = ?3 "
                                              "AND id BETWEEN ?1 AND ?2 ORDER BY id"
                                            : "SELECT id, source, vals FROM records WHERE +type = 0 "
                                              "AND id BETWEEN ?1 AND ?2 ORDER BY id");
    st.bind(1, first);
    st.bind(2, last);
    if (sourceID)
        st.bind(3, qint64(*sourceID));
    while (st.step()) {
        const ABRecordID id = ABRecordID(st.columnInt(0));
        if (visitHeld(id, visit))
            continue;
        readInPassing(passing, id, st.columnIsNull(1) ? kABRecordInvalidID : ABRecordID(st.columnInt(1)), st.columnBlobInPlace(2));
        visit(passing);
    }
}

void ABAddressBook::forEachPersonToRead(const QList<ABRecordID> &ids, const std::function<void(const ABRecord &person)> &visit)
{
    ABRecord passing(kABPersonType, kABRecordInvalidID);
    auto visitStored = [&](ABRecordID id, ABRecordID sourceID, const QByteArray &stored, bool hasImage) {
        readInPassing(passing, id, sourceID, stored, hasImage);
        visit(passing);
    };
    qsizetype done = 0;
    // Additions written ahead are seen by this connection only: then it reads them itself.
    const QString path = m_connection->path();
    if (ids.size() > 1 && m_earlyWrites != EarlyWrites::Open && !path.isEmpty()) {
        PeopleReadAhead ahead(path, ids);
        while (std::optional<QList<PeopleReadAhead::Person>> block = ahead.next()) {
            for (const PeopleReadAhead::Person &person : std::as_const(*block)) {
                if (!visitHeld(person.id, visit) && !person.stored.isEmpty())
                    visitStored(person.id, person.sourceID, person.stored, person.hasImage);
            }
            done += block->size();
        }
    }
    if (done == ids.size())
        return;
    ABConnection::Statement st(*m_connection, PeopleReadAhead::kPersonQuery);
    // One read transaction for the whole list: the reads see one state of the book.
    const bool inTransaction = bool(m_connection->exec("BEGIN"));
    for (ABRecordID id : ids.mid(done)) {
        if (id < 0 || visitHeld(id, visit))
            continue;
        st.reset();
        st.bind(1, qint64(id));
        if (st.step())
            visitStored(id, st.columnIsNull(0) ? kABRecordInvalidID : ABRecordID(st.columnInt(0)), st.columnBlobInPlace(1),
                        st.columnInt(2) != 0);
    }
    st.reset();
    if (inTransaction)
        m_connection->exec("COMMIT");
}

int ABAddressBook::personCount(const ABRecordRef &source)
{
    ABConnection::Statement st(*m_connection, source ? "SELECT COUNT(*) FROM records WHERE type = 0 AND source = ?"
                                                     : "SELECT COUNT(*) FROM records WHERE type = 0");
    if (source)
        st.bind(1, qint64(source->recordID()));
    int count = st.step() ? int(st.columnInt(0)) : 0;
    auto counts = [&source](const ABRecordRef &record) { return record->isPerson() && (!source || record->sourceID() == source->recordID()); };
    for (const ABRecordRef &record : m_added)
        count += counts(record);
    for (const ABRecordRef &record : m_removed)
        count -= counts(record) && record->recordID() != kABRecordInvalidID;
    return count;
}

ABRecordRef ABAddressBook::personWithRecordID(ABRecordID id)
{
    return loadRecord(kABPersonType, id);
}

QList<ABRecordRef> ABAddressBook::peopleWithRecordIDs(const QList<ABRecordID> &ids)
{
    QList<ABRecordRef> people;
    people.reserve(ids.size());
    // One read transaction and one prepared statement for the whole list.
    const bool inTransaction = bool(m_connection->exec("BEGIN"));
    {
        ABConnection::Statement st(*m_connection, "SELECT source, vals FROM records WHERE id = ? AND type = ?");
        for (ABRecordID id : ids) {
            ABRecordRef record = id < 0 ? nullptr : m_loaded.value(id);
            if (!record && id >= 0) {
                st.reset();
                st.bind(1, qint64(id));
                st.bind(2, qint64(kABPersonType));
                if (st.step())
                    record = adopt(kABPersonType, id, st.columnIsNull(0) ? kABRecordInvalidID : ABRecordID(st.columnInt(0)), st.columnBlob(1));
            }
            people.append(record && record->recordType() == kABPersonType && !isPending(record) ? record : nullptr);
        }
    }
    if (inTransaction)
        m_connection->exec("COMMIT");
    return people;
}

void ABAddressBook::releaseUnusedRecords()
{
    QList<ABRecordID> stillHeld;
    auto release = [this, &stillHeld](ABRecordID id) {
        auto it = m_loaded.find(id);
        if (it == m_loaded.end())
            return;
        ABRecord &record = **it;
        if (it->use_count() > 1) {
            stillHeld.append(id);
            return;
        }
        const bool otherChanges = record.m_imageChanged || record.m_membersChanged
                                  || record.m_change != ABRecord::Change::None || !record.m_pendingMembers.isEmpty();
        if (otherChanges)
            return;
        if (record.m_valuesChanged)
            record.packValues(); // kept for the save, in the stored form: a walk that changes most people stays small
        else
            m_loaded.erase(it);
    };
    for (ABRecordID id : std::as_const(m_releaseCandidates))
        release(id);
    m_candidatesSinceHeldLook += m_releaseCandidates.size();
    m_releaseCandidates.clear();
    if (m_candidatesSinceHeldLook >= m_heldRecords.size() / 2) {
        for (ABRecordID id : std::exchange(m_heldRecords, {}))
            release(id);
        m_candidatesSinceHeldLook = 0;
    }
    m_heldRecords += stillHeld;
}

QList<ABRecordRef> ABAddressBook::copyArrayOfAllGroups()
{
    return loadRecords(kABGroupType, kABRecordInvalidID);
}

QList<ABRecordRef> ABAddressBook::copyArrayOfAllGroupsInSource(const ABRecordRef &source)
{
    return source ? loadRecords(kABGroupType, source->recordID()) : QList<ABRecordRef>();
}

ABRecordRef ABAddressBook::groupWithRecordID(ABRecordID id)
{
    return loadRecord(kABGroupType, id);
}

QList<ABRecordRef> ABAddressBook::copyArrayOfAllSources()
{
    return loadRecords(kABSourceType, kABRecordInvalidID);
}

ABRecordRef ABAddressBook::copyDefaultSource()
{
    // Set once when the file is made: an import asks for every person it adds.
    if (!m_defaultSourceID)
        m_defaultSourceID = ABRecordID(meta("default_source").toInt());
    return sourceWithRecordID(*m_defaultSourceID);
}

ABRecordRef ABAddressBook::sourceWithRecordID(ABRecordID id)
{
    return loadRecord(kABSourceType, id);
}

ABRecordRef ABAddressBook::addSource(int type, const QString &name, QString *error)
{
    QHash<ABPropertyID, QVariant> values{{kABSourceTypeProperty, qint64(type)}, {kABSourceNameProperty, name}};
    QByteArray encoded = ABRecordCodec::encode(values);
    ABConnection::Statement st(*m_connection, "INSERT INTO records(type, source, vals) VALUES (2, NULL, ?)");
    st.bind(1, encoded);
    st.step();
    if (st.failed()) {
        if (error)
            *error = m_connection->error();
        return nullptr;
    }
    return adopt(kABSourceType, ABRecordID(m_connection->lastInsertRowID()), kABRecordInvalidID, encoded);
}

bool ABAddressBook::addRecord(const ABRecordRef &record, QString *error)
{
    if (!record || record->recordType() == kABSourceType) {
        if (error)
            *error = QStringLiteral("Only people and groups can be added.");
        return false;
    }
    if (record->m_change == ABRecord::Change::Removed && record->m_book.lock().get() == this) {
        m_removed.removeOne(record);
        record->m_change = ABRecord::Change::None;
        return true;
    }
    if (record->recordID() != kABRecordInvalidID || record->m_change == ABRecord::Change::Added) {
        if (record->m_book.lock().get() == this)
            return true;
        if (error)
            *error = QStringLiteral("The record belongs to another address book.");
        return false;
    }
    if (record->sourceID() == kABRecordInvalidID) {
        if (ABRecordRef source = copyDefaultSource())
            record->m_sourceID = source->recordID();
    }
    record->m_book = weak_from_this();
    record->m_connection = m_connection;
    record->m_nameFormat = compositeNameFormat();
    record->m_change = ABRecord::Change::Added;
    if (!record->m_pendingMembers.isEmpty())
        m_groupsWithPendingMembers.append(record);
    m_added.append(record);
    // An import of a large file must not hold every person until its save: each block of
    // additions goes to the database at once, or, when that cannot be, waits in the compact
    // stored form.
    constexpr qsizetype kAddBlock = 1000;
    if (m_added.size() % kAddBlock == 0) {
        if (m_earlyWrites == EarlyWrites::None || m_earlyWrites == EarlyWrites::Open)
            writeAdditionsEarly();
        for (qsizetype i = qMax<qsizetype>(0, m_added.size() - kAddBlock); i < m_added.size(); ++i)
            m_added[i]->packValues();
    }
    return true;
}

bool ABAddressBook::beginEarlyWrites()
{
    // In the write-ahead log, a transaction of thousands of people is written twice: into the
    // log, then from it into the file when the log is emptied. A rollback journal keeps only
    // the pages the file had, so a growing book's new pages are written once. The change needs
    // the file to itself; other connections that come later wait for the commit (as they would
    // for any write under that journal). Fully synchronous, that journal survives a power cut
    // as safely as the log does.
    if (m_connection->switchJournal("delete") == QLatin1String("delete")) {
        m_rollbackJournal = true;
        m_connection->exec("PRAGMA synchronous=FULL");
    }
    if (m_connection->exec("BEGIN IMMEDIATE"))
        return true;
    endRollbackJournal();
    return false;
}

void ABAddressBook::endRollbackJournal()
{
    if (!m_rollbackJournal)
        return;
    m_rollbackJournal = false;
    // A connection that came meanwhile keeps the file from changing back now; the next
    // handle that has it alone does it (see prepare).
    m_connection->switchJournal("wal");
    m_connection->exec("PRAGMA synchronous=NORMAL");
}

void ABAddressBook::rollBackTransaction()
{
    m_connection->exec("ROLLBACK");
    endRollbackJournal();
}

void ABAddressBook::writeAdditionsEarly()
{
    if (m_earlyWrites == EarlyWrites::None) {
        if (!beginEarlyWrites()) {
            m_earlyWrites = EarlyWrites::Refused;
            return;
        }
        m_earlyWrites = EarlyWrites::Open;
    }
    QString error;
    if (!insertAdded(m_added, &error)) {
        rollBack(error);
        return;
    }
    m_connection->startWritingOut();
    // Written, each record is one of the transaction's like any loaded one; what it still
    // carries (image, members) is written by the save.
    for (const ABRecordRef &record : std::as_const(m_added)) {
        record->m_change = ABRecord::Change::None;
        record->m_valuesChanged = false;
        m_loaded.insert(record->recordID(), record);
        m_releaseCandidates.append(record->recordID());
    }
    m_added.clear();
    m_groupsWithPendingMembers.removeIf([](const std::weak_ptr<ABRecord> &weak) {
        const ABRecordRef group = weak.lock();
        if (group)
            group->keepWrittenMembersByID();
        return !group || group->m_pendingMembers.isEmpty();
    });
    releaseUnusedRecords();
}

// After a rollback: the records written ahead no longer exist.
void ABAddressBook::forgetEarlyWrites()
{
    // Written ahead, the transaction's first records were its first identifiers.
    const ABRecordID first = m_written.first;
    if (first != kABRecordInvalidID) {
        for (auto it = m_loaded.begin(); it != m_loaded.end();) {
            if (it.key() >= first) {
                (*it)->m_id = kABRecordInvalidID;
                it = m_loaded.erase(it);
            } else {
                ++it;
            }
        }
        m_releaseCandidates.removeIf([first](ABRecordID id) { return id >= first; });
        m_heldRecords.removeIf([first](ABRecordID id) { return id >= first; });
    }
    m_earlyWrites = EarlyWrites::None;
    m_written = {};
}

bool ABAddressBook::removeRecord(const ABRecordRef &record, QString *error)
{
    if (!record) {
        if (error)
            *error = QStringLiteral("No record to remove.");
        return false;
    }
    if (record->m_change == ABRecord::Change::Added && record->m_book.lock().get() == this) {
        m_added.removeOne(record);
        record->m_change = ABRecord::Change::None;
        return true;
    }
    if (!m_loaded.contains(record->recordID()) || m_loaded.value(record->recordID()) != record) {
        if (error)
            *error = QStringLiteral("The record is not in this address book.");
        return false;
    }
    if (record->m_change != ABRecord::Change::Removed) {
        record->m_change = ABRecord::Change::Removed;
        m_removed.append(record);
    }
    return true;
}

bool ABAddressBook::hasUnsavedChanges() const
{
    if (!m_added.isEmpty() || !m_removed.isEmpty() || m_earlyWrites == EarlyWrites::Open || m_earlyWrites == EarlyWrites::Lost)
        return true;
    for (const ABRecordRef &record : m_loaded) {
        if (record->m_valuesChanged || record->m_imageChanged || record->m_membersChanged)
            return true;
    }
    return false;
}

void ABAddressBook::revert()
{
    if (m_earlyWrites == EarlyWrites::Open)
        rollBackTransaction();
    forgetEarlyWrites();
    m_lostError.clear();
    for (const ABRecordRef &record : std::as_const(m_added))
        record->m_change = ABRecord::Change::None;
    for (const ABRecordRef &record : std::as_const(m_removed))
        record->m_change = ABRecord::Change::None;
    m_added.clear();
    m_removed.clear();
    m_loaded.clear();
    m_releaseCandidates.clear();
    m_heldRecords.clear();
    m_groupsWithPendingMembers.clear();
}

bool ABAddressBook::save(QString *error)
{
    if (!hasUnsavedChanges())
        return true;
    if (m_earlyWrites == EarlyWrites::Lost) {
        if (error)
            *error = m_lostError;
        return false;
    }
    if (m_earlyWrites != EarlyWrites::Open && !m_connection->exec("BEGIN IMMEDIATE")) {
        if (error)
            *error = m_connection->error();
        return false;
    }
    if (writeChanges(error) && m_connection->exec("COMMIT")) {
        endRollbackJournal();
        m_written = {};
        m_earlyWrites = EarlyWrites::None;
        for (const ABRecordRef &record : std::as_const(m_added))
            m_loaded.insert(record->recordID(), record);
        for (const ABRecordRef &record : std::as_const(m_loaded)) {
            record->m_change = ABRecord::Change::None;
            record->m_valuesChanged = record->m_imageChanged = record->m_membersChanged = false;
            for (const ABRecordRef &member : std::as_const(record->m_pendingMembers)) {
                record->m_memberIDs.append(member->recordID());
                record->m_memberIDSet.insert(member->recordID());
            }
            record->m_pendingMembers.clear();
            record->m_pendingMemberSet.clear();
        }
        QSet<ABRecordID> removedIDs;
        for (const ABRecordRef &record : std::as_const(m_removed)) {
            m_loaded.remove(record->recordID());
            removedIDs.insert(record->recordID());
        }
        // The database dropped their memberships; the groups of this handle forget them too,
        // or a later member change would write them back.
        if (!removedIDs.isEmpty()) {
            for (const ABRecordRef &record : std::as_const(m_loaded)) {
                if (!record->m_memberIDSet.intersects(removedIDs))
                    continue;
                record->m_memberIDs.removeIf([&removedIDs](ABRecordID id) { return removedIDs.contains(id); });
                record->m_memberIDSet.subtract(removedIDs);
            }
        }
        m_added.clear();
        m_removed.clear();
        // Saved, every loaded record may be let go again.
        m_releaseCandidates = m_loaded.keys();
        m_heldRecords.clear();
        return true;
    }
    const QString failure = error && !error->isEmpty() ? *error : m_connection->error();
    if (error)
        *error = failure;
    rollBack(failure);
    return false;
}

// After a failed write: nothing of the transaction stays. Additions written ahead are gone
// with it, so the handle's saves fail with `failure` until revert().
void ABAddressBook::rollBack(const QString &failure)
{
    rollBackTransaction();
    // New records keep no identifier from the failed attempt.
    for (const ABRecordRef &record : std::as_const(m_added))
        record->m_id = kABRecordInvalidID;
    if (m_earlyWrites == EarlyWrites::Open) {
        forgetEarlyWrites();
        m_earlyWrites = EarlyWrites::Lost;
        m_lostError = failure;
    }
    m_written = {};
}

namespace {

// Inserts rows many to a statement: a statement per row spends more on its own bookkeeping
// (the sequence of identifiers read and written, the statement's end) than on the row itself.
class RowInserts {
public:
    // `sqlFor(rows)` is the statement for that many rows of `parametersPerRow` values each.
    RowInserts(ABConnection &db, int parametersPerRow, std::function<QByteArray(int rows)> sqlFor)
        : m_db(db), m_parametersPerRow(parametersPerRow), m_sqlFor(std::move(sqlFor))
    {
    }

    // Inserts `count` rows; `bind(statement, parameter, row)` binds the values of row number
    // `row` from parameter number `parameter` on. False, with the database's message, when a
    // statement failed.
    bool insert(qsizetype count, const std::function<void(ABConnection::Statement &, int parameter, qsizetype row)> &bind,
                QString *error)
    {
        for (qsizetype done = 0; done < count;) {
            const int rows = count - done >= kRowsPerStatement ? kRowsPerStatement : 1;
            std::optional<ABConnection::Statement> &statement = rows > 1 ? m_block : m_single;
            if (!statement)
                statement.emplace(m_db, m_sqlFor(rows).constData());
            statement->reset();
            for (int row = 0; row < rows; ++row)
                bind(*statement, row * m_parametersPerRow + 1, done + row);
            statement->step();
            if (statement->failed()) {
                if (error)
                    *error = m_db.error();
                return false;
            }
            done += rows;
        }
        return true;
    }

private:
    static constexpr int kRowsPerStatement = 64;

    ABConnection &m_db;
    int m_parametersPerRow;
    std::function<QByteArray(int rows)> m_sqlFor;
    std::optional<ABConnection::Statement> m_block;
    std::optional<ABConnection::Statement> m_single;
};

// `head` followed by `rows` times `row`, separated by commas.
QByteArray repeatedRows(const char *head, const char *row, int rows, const char *tail = "")
{
    return head + QByteArrayList(rows, row).join(", ") + tail;
}

// The records table gives its next row the identifier after this one: the larger of the
// largest it ever gave and the largest there is.
std::optional<qint64> lastRecordID(ABConnection &db)
{
    ABConnection::Statement last(db, "SELECT max(coalesce((SELECT seq FROM sqlite_sequence WHERE name = 'records'), 0), "
                                     "coalesce((SELECT max(id) FROM records), 0))");
    if (!last.step())
        return std::nullopt;
    return last.columnInt(0);
}

} // namespace

bool ABAddressBook::insertAdded(const QList<ABRecordRef> &records, QString *error)
{
    const QVariant now = QDateTime::currentDateTimeUtc();
    for (const ABRecordRef &record : records) {
        if (record->isPerson()) {
            record->setKeptValues({{kABPersonCreationDateProperty, now}, {kABPersonModificationDateProperty, now}});
        }
        // Written from, and kept in, the compact stored form: a save of many records does not
        // end with all of them decoded.
        record->packValues();
    }
    // The identifiers are the ones the table would give row by row: this handle holds the
    // write lock, so nobody else takes one meanwhile.
    const std::optional<qint64> last = lastRecordID(*m_connection);
    if (!last || records.size() > std::numeric_limits<qint64>::max() - *last) {
        if (error)
            *error = last ? QStringLiteral("The address book has no record identifiers left.") : m_connection->error();
        return false;
    }
    RowInserts inserts(*m_connection, 4, [](int rows) {
        return repeatedRows("INSERT INTO records(id, type, source, vals) VALUES ", "(?, ?, ?, ?)", rows);
    });
    return inserts.insert(records.size(), [&](ABConnection::Statement &insert, int parameter, qsizetype row) {
        ABRecord &record = *records[row];
        record.m_id = ABRecordID(*last + 1 + row);
        insert.bind(parameter, qint64(record.m_id));
        insert.bind(parameter + 1, qint64(record.recordType()));
        if (record.sourceID() == kABRecordInvalidID)
            insert.bindNull(parameter + 2);
        else
            insert.bind(parameter + 2, qint64(record.sourceID()));
        insert.bind(parameter + 3, record.m_stored.bytes());
        m_written.note(record);
    }, error);
}

void ABAddressBook::WrittenIdentifiers::note(const ABRecord &record)
{
    if (first == kABRecordInvalidID)
        first = record.recordID();
    last = record.recordID();
    if (!record.isPerson())
        notPeople.insert(record.recordID());
}

bool ABAddressBook::WrittenIdentifiers::isPerson(ABRecordID id) const
{
    return first != kABRecordInvalidID && id >= first && id <= last && !notPeople.contains(id);
}

bool ABAddressBook::writeChanges(QString *error)
{
    ABConnection &db = *m_connection;
    const QVariant now = QDateTime::currentDateTimeUtc();
    auto fail = [&](const ABConnection::Statement &st) {
        if (st.failed() && error)
            *error = db.error();
        return st.failed();
    };

    if (!insertAdded(m_added, error))
        return false;

    QList<ABRecordRef> touched = m_loaded.values();
    touched += m_added;
    ABConnection::Statement update(db, "UPDATE records SET vals = ? WHERE id = ?");
    ABConnection::Statement putImage(db, "INSERT OR REPLACE INTO images(record, data) VALUES (?, ?)");
    ABConnection::Statement dropImage(db, "DELETE FROM images WHERE record = ?");
    ABConnection::Statement clearMembers(db, "DELETE FROM members WHERE grp = ?");
    // A member another handle has removed since this one read the group stays out, and so
    // does an identifier given for a member that is no person's. A person's rows go in the
    // order of their positions, so that one listed twice in a group keeps the first.
    RowInserts addMembers(db, 3, [](int rows) {
        return repeatedRows("INSERT OR IGNORE INTO members(grp, person, position) "
                            "SELECT m.column1, m.column2, m.column3 FROM (VALUES ",
                            "(?, ?, ?)", rows,
                            ") AS m WHERE EXISTS (SELECT 1 FROM records WHERE id = m.column2 AND type = 0) "
                            "ORDER BY m.column2, m.column3");
    });
    // The people this transaction wrote need no such look-up: the many members of an import
    // need not read the records table again.
    RowInserts addWrittenMembers(db, 3, [](int rows) {
        return repeatedRows("INSERT OR IGNORE INTO members(grp, person, position) VALUES ", "(?, ?, ?)", rows);
    });
    struct MemberRow {
        ABRecordID group;
        ABRecordID person;
        qsizetype position;
    };
    QList<MemberRow> membersToCheck, writtenMembers;
    for (const ABRecordRef &record : std::as_const(touched)) {
        if (record->m_change == ABRecord::Change::Removed)
            continue;
        bool isNew = record->m_change == ABRecord::Change::Added;
        if (record->m_valuesChanged && !isNew) {
            if (record->isPerson())
                record->setKeptValues({{kABPersonModificationDateProperty, now}});
            update.reset();
            record->packValues();
            update.bind(1, record->m_stored.bytes());
            update.bind(2, qint64(record->recordID()));
            update.step();
            if (fail(update))
                return false;
        }
        if (record->m_imageChanged) {
            ABConnection::Statement &st = record->m_image ? putImage : dropImage;
            st.reset();
            st.bind(1, qint64(record->recordID()));
            if (record->m_image)
                st.bind(2, *record->m_image);
            st.step();
            if (fail(st))
                return false;
        }
        if (record->m_membersChanged) {
            clearMembers.reset();
            clearMembers.bind(1, qint64(record->recordID()));
            clearMembers.step();
            if (fail(clearMembers))
                return false;
            QList<ABRecordID> ids = record->m_memberIDs;
            for (const ABRecordRef &member : std::as_const(record->m_pendingMembers)) {
                if (member->recordID() == kABRecordInvalidID) {
                    if (error)
                        *error = QStringLiteral("A group member was never added to the address book.");
                    return false;
                }
                ids.append(member->recordID());
            }
            for (qsizetype i = 0; i < ids.size(); ++i)
                (m_written.isPerson(ids[i]) ? writtenMembers : membersToCheck).append({record->recordID(), ids[i], i});
        }
    }
    // Looked up in the order of the people, for all groups at once, each page of the records
    // table is read once, not once per group. A person is in one list or the other, and in
    // the order of the positions, so the first of two listings in a group is the one kept.
    std::sort(membersToCheck.begin(), membersToCheck.end(), [](const MemberRow &a, const MemberRow &b) {
        return std::tie(a.person, a.position) < std::tie(b.person, b.position);
    });
    for (auto [rows, inserts] : {std::pair{&membersToCheck, &addMembers}, std::pair{&writtenMembers, &addWrittenMembers}}) {
        const bool added = inserts->insert(rows->size(), [rows](ABConnection::Statement &add, int parameter, qsizetype row) {
            const MemberRow &member = rows->at(row);
            add.bind(parameter, qint64(member.group));
            add.bind(parameter + 1, qint64(member.person));
            add.bind(parameter + 2, qint64(member.position));
        }, error);
        if (!added)
            return false;
    }

    ABConnection::Statement drop(db, "DELETE FROM records WHERE id = ?");
    ABConnection::Statement dropImages(db, "DELETE FROM images WHERE record = ?");
    ABConnection::Statement dropMembers(db, "DELETE FROM members WHERE grp = ?1 OR person = ?1");
    for (const ABRecordRef &record : std::as_const(m_removed)) {
        for (ABConnection::Statement *st : {&drop, &dropImages, &dropMembers}) {
            st->reset();
            st->bind(1, qint64(record->recordID()));
            st->step();
            if (fail(*st))
                return false;
        }
    }
    return true;
}

QString ABAddressBook::copyLocalizedLabel(const QString &label)
{
    static const QHash<QString, QString> texts{
        {kABHomeLabel, QStringLiteral("home")},
        {kABWorkLabel, QStringLiteral("work")},
        {kABOtherLabel, QStringLiteral("other")},
        {kABPersonPhoneMobileLabel, QStringLiteral("mobile")},
        {kABPersonPhoneMainLabel, QStringLiteral("main")},
        {kABPersonPhoneHomeFAXLabel, QStringLiteral("home fax")},
        {kABPersonPhoneWorkFAXLabel, QStringLiteral("work fax")},
        {kABPersonPhonePagerLabel, QStringLiteral("pager")},
        {kABPersonHomePageLabel, QStringLiteral("home page")},
        {kABPersonAnniversaryLabel, QStringLiteral("anniversary")},
    };
    return texts.value(label, label);
}

QString ABAddressBook::copyLocalizedPropertyName(ABPropertyID property)
{
    static const QHash<ABPropertyID, QString> names{
        {kABPersonFirstNameProperty, QStringLiteral("First")},
        {kABPersonLastNameProperty, QStringLiteral("Last")},
        {kABPersonPhoneProperty, QStringLiteral("Phone")},
        {kABPersonEmailProperty, QStringLiteral("Email")},
        {kABPersonAddressProperty, QStringLiteral("Address")},
        {kABPersonMiddleNameProperty, QStringLiteral("Middle")},
        {kABPersonFirstNamePhoneticProperty, QStringLiteral("Phonetic First Name")},
        {kABPersonMiddleNamePhoneticProperty, QStringLiteral("Phonetic Middle Name")},
        {kABPersonLastNamePhoneticProperty, QStringLiteral("Phonetic Last Name")},
        {kABPersonOrganizationProperty, QStringLiteral("Company")},
        {kABPersonDepartmentProperty, QStringLiteral("Department")},
        {kABPersonDateProperty, QStringLiteral("Date")},
        {kABPersonInstantMessageProperty, QStringLiteral("Instant Message")},
        {kABPersonNoteProperty, QStringLiteral("Notes")},
        {kABPersonKindProperty, QStringLiteral("Kind")},
        {kABPersonBirthdayProperty, QStringLiteral("Birthday")},
        {kABPersonJobTitleProperty, QStringLiteral("Job Title")},
        {kABPersonNicknameProperty, QStringLiteral("Nickname")},
        {kABPersonPrefixProperty, QStringLiteral("Prefix")},
        {kABPersonSuffixProperty, QStringLiteral("Suffix")},
        {kABPersonURLProperty, QStringLiteral("URL")},
        {kABPersonRelatedNamesProperty, QStringLiteral("Related Names")},
        {kABPersonCreationDateProperty, QStringLiteral("Creation Date")},
        {kABPersonModificationDateProperty, QStringLiteral("Modification Date")},
        {kABPersonSocialProfileProperty, QStringLiteral("Social Profile")},
    };
    return names.value(property);
}
