#include "ABConnection.h"

#include "AddressBookBusy.h"

#include <QFile>

#include <sqlite3.h>

#include <atomic>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace {
std::atomic<int> g_busyTimeoutMs{5000};
}

void ABConnection::setBusyTimeoutMs(int ms)
{
    g_busyTimeoutMs = ms;
}

ABConnection::~ABConnection()
{
    for (sqlite3_stmt *statement : std::as_const(m_statements))
        sqlite3_finalize(statement);
    sqlite3_close_v2(m_db);
}

Result<std::shared_ptr<ABConnection>> ABConnection::open(const QString &path, bool create)
{
    int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX;
    if (create && !QFile::exists(path))
        flags |= SQLITE_OPEN_CREATE;
    sqlite3 *db = nullptr;
    int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        QString message = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("out of memory");
        sqlite3_close_v2(db);
        return Error{QStringLiteral("Cannot open the address book %1: %2").arg(path, message)};
    }
    sqlite3_busy_timeout(db, g_busyTimeoutMs);
    sqlite3_extended_result_codes(db, 1);
    return std::shared_ptr<ABConnection>(new ABConnection(db));
}

Result<void> ABConnection::exec(const char *sql)
{
    char *message = nullptr;
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, &message) != SQLITE_OK) {
        sqlite3_free(message);
        m_error = lastError();
        return Error{m_error};
    }
    return {};
}

QString ABConnection::switchJournal(const char *mode)
{
    sqlite3_busy_timeout(m_db, 0);
    const QByteArray sql = QByteArray("PRAGMA journal_mode=") + mode;
    sqlite3_stmt *statement = nullptr;
    QString now;
    if (sqlite3_prepare_v2(m_db, sql.constData(), -1, &statement, nullptr) == SQLITE_OK && sqlite3_step(statement) == SQLITE_ROW)
        now = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, 0)));
    sqlite3_finalize(statement);
    sqlite3_busy_timeout(m_db, g_busyTimeoutMs);
    return now;
}

qint64 ABConnection::lastInsertRowID() const
{
    return sqlite3_last_insert_rowid(m_db);
}

void ABConnection::startWritingOut()
{
    const int fd = databaseDescriptor();
    if (fd >= 0)
        sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
}

int ABConnection::databaseDescriptor()
{
    const char *file = sqlite3_db_filename(m_db, "main");
    struct stat database;
    if (!file || !*file || stat(file, &database) != 0)
        return -1;
    auto isDatabase = [&database](int fd) {
        struct stat open;
        return fstat(fd, &open) == 0 && S_ISREG(open.st_mode) && open.st_dev == database.st_dev && open.st_ino == database.st_ino;
    };
    if (m_databaseDescriptor >= 0 && isDatabase(m_databaseDescriptor))
        return m_databaseDescriptor;
    m_databaseDescriptor = -1;
    if (DIR *open = opendir("/proc/self/fd")) {
        while (const dirent *entry = readdir(open)) {
            bool number = false;
            const int fd = QByteArray(entry->d_name).toInt(&number);
            if (number && fd != dirfd(open) && isDatabase(fd)) {
                m_databaseDescriptor = fd;
                break;
            }
        }
        closedir(open);
    }
    return m_databaseDescriptor;
}

QString ABConnection::path() const
{
    const char *file = sqlite3_db_filename(m_db, "main");
    return file ? QFile::decodeName(file) : QString();
}

QString ABConnection::lastError() const
{
    // Another connection kept its lock past our wait: SQLite's own words mean nothing to a person.
    const int code = sqlite3_errcode(m_db) & 0xff;
    if (code == SQLITE_BUSY || code == SQLITE_LOCKED) {
        AddressBookBusy::noteFailure();
        return AddressBookBusy::message();
    }
    return QString::fromUtf8(sqlite3_errmsg(m_db));
}

ABConnection::Statement::Statement(ABConnection &connection, const char *sql) : m_connection(connection), m_sql(sql)
{
    // Reading one record is a few microseconds; preparing its statement anew cost more.
    m_stmt = connection.m_statements.take(m_sql);
    if (m_stmt)
        return;
    if (sqlite3_prepare_v2(connection.m_db, sql, -1, &m_stmt, nullptr) != SQLITE_OK) {
        connection.noteError(connection.lastError());
        m_stmt = nullptr;
        m_failed = true;
    }
}

ABConnection::Statement::~Statement()
{
    if (!m_stmt)
        return;
    // Kept for the next use of the same text, unless another one of it is kept already.
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
    if (m_connection.m_statements.contains(m_sql))
        sqlite3_finalize(m_stmt);
    else
        m_connection.m_statements.insert(m_sql, m_stmt);
}

void ABConnection::Statement::bind(int index, qint64 value)
{
    if (m_stmt)
        sqlite3_bind_int64(m_stmt, index, value);
}

void ABConnection::Statement::bind(int index, const QByteArray &blob)
{
    if (m_stmt)
        sqlite3_bind_blob64(m_stmt, index, blob.constData(), sqlite3_uint64(blob.size()), SQLITE_TRANSIENT);
}

void ABConnection::Statement::bind(int index, const QString &text)
{
    if (m_stmt) {
        QByteArray utf8 = text.toUtf8();
        sqlite3_bind_text64(m_stmt, index, utf8.constData(), sqlite3_uint64(utf8.size()), SQLITE_TRANSIENT, SQLITE_UTF8);
    }
}

void ABConnection::Statement::bindNull(int index)
{
    if (m_stmt)
        sqlite3_bind_null(m_stmt, index);
}

bool ABConnection::Statement::step()
{
    if (!m_stmt)
        return false;
    int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc != SQLITE_DONE) {
        m_failed = true;
        m_connection.noteError(m_connection.lastError());
    }
    return false;
}

void ABConnection::Statement::reset()
{
    if (m_stmt) {
        sqlite3_reset(m_stmt);
        sqlite3_clear_bindings(m_stmt);
    }
}

qint64 ABConnection::Statement::columnInt(int column) const
{
    return sqlite3_column_int64(m_stmt, column);
}

QByteArray ABConnection::Statement::columnBlob(int column) const
{
    const void *data = sqlite3_column_blob(m_stmt, column);
    int size = sqlite3_column_bytes(m_stmt, column);
    return QByteArray(static_cast<const char *>(data), size);
}

QByteArray ABConnection::Statement::columnBlobInPlace(int column) const
{
    const void *data = sqlite3_column_blob(m_stmt, column);
    return QByteArray::fromRawData(static_cast<const char *>(data), sqlite3_column_bytes(m_stmt, column));
}

QString ABConnection::Statement::columnText(int column) const
{
    const unsigned char *text = sqlite3_column_text(m_stmt, column);
    return QString::fromUtf8(reinterpret_cast<const char *>(text), sqlite3_column_bytes(m_stmt, column));
}

bool ABConnection::Statement::columnIsNull(int column) const
{
    return sqlite3_column_type(m_stmt, column) == SQLITE_NULL;
}
