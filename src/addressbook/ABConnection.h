#pragma once

#include "platform/Result.h"

#include <QByteArray>
#include <QHash>
#include <QString>

#include <functional>

struct sqlite3;
struct sqlite3_stmt;

// One SQLite connection, used from the thread that opened it.
class ABConnection {
public:
    ~ABConnection();
    ABConnection(const ABConnection &) = delete;
    ABConnection &operator=(const ABConnection &) = delete;

    // Opens an existing database read-write, or creates it when `create` is set and no file
    // exists. Never truncates or rewrites an existing file.
    static Result<std::shared_ptr<ABConnection>> open(const QString &path, bool create);

    // Runs statements without results.
    Result<void> exec(const char *sql);

    // A prepared statement; bind with the helpers, step until done.
    class Statement {
    public:
        Statement(ABConnection &connection, const char *sql);
        ~Statement();
        Statement(const Statement &) = delete;
        Statement &operator=(const Statement &) = delete;

        bool prepared() const { return m_stmt != nullptr; }
        void bind(int index, qint64 value);
        void bind(int index, const QByteArray &blob);
        void bind(int index, const QString &text);
        void bindNull(int index);
        // True while a row is there; false when done or failed (then error() is set).
        bool step();
        bool failed() const { return m_failed; }
        void reset();
        qint64 columnInt(int column) const;
        QByteArray columnBlob(int column) const;
        // The same bytes without a copy: valid until the next step or reset.
        QByteArray columnBlobInPlace(int column) const;
        QString columnText(int column) const;
        bool columnIsNull(int column) const;

    private:
        ABConnection &m_connection;
        QByteArray m_sql;
        sqlite3_stmt *m_stmt = nullptr;
        bool m_failed = false;
    };

    qint64 lastInsertRowID() const;
    // The database file; empty for one that lives in memory only.
    QString path() const;
    QString lastError() const;
    void noteError(const QString &error) { m_error = error; }
    const QString &error() const { return m_error; }

    // Asks for the journal mode `mode` ("wal", "delete"…) without waiting for other
    // connections' locks, and answers the mode the file then has: the one it had when the
    // change cannot be made now, empty when the file is busy.
    QString switchJournal(const char *mode);

    // How long a statement waits for another connection's lock before failing.
    static void setBusyTimeoutMs(int ms);

    // Has the system start writing to the disk what has reached the database file so far (as
    // WriteBehind does for exports), so that the commit of a long transaction waits for its
    // last pages only. It starts writes only: the commit's flush still makes them durable, and
    // a failure here changes nothing.
    void startWritingOut();

private:
    explicit ABConnection(sqlite3 *db) : m_db(db) {}
    // The descriptor through which SQLite reaches the database file; -1 for none. Found among
    // the process's open files by the file's identity: a descriptor opened and closed here
    // would let go of SQLite's locks on the file.
    int databaseDescriptor();

    sqlite3 *m_db;
    int m_databaseDescriptor = -1;
    QString m_error;
    // Prepared statements not in use, by their text.
    QHash<QByteArray, sqlite3_stmt *> m_statements;
};
