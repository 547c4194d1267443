#pragma once

#include <QElapsedTimer>
#include <QString>

// Shared by the benchmarks: a scratch folder with its own documents folder and address book,
// and a timer that prints one figure line.
class BenchScratch {
public:
    // Points the program at <folder>/Documents and <folder>/<name>.db, removing old ones.
    BenchScratch(const QString &folder, const QString &name);
    QString documents() const { return m_documents; }
    QString addressBook() const { return m_addressBook; }

private:
    QString m_documents;
    QString m_addressBook;
};

class BenchTimer {
public:
    explicit BenchTimer(QString what) : m_what(std::move(what)) { m_timer.start(); }
    double seconds() const { return double(m_timer.nsecsElapsed()) / 1e9; }
    // Prints "what: 1.234 s (N items, X items/s[, Y MB/s])".
    void report(qint64 items = 0, qint64 bytes = 0) const;

private:
    QString m_what;
    QElapsedTimer m_timer;
};

// The bytes a benchmark moves: `defaultBytes`, or VENNARO_BENCH_MB megabytes when that is set
// (a quick run in a Debug tree).
qint64 benchBytes(qint64 defaultBytes);

// The size of a file in bytes (0 when it is missing).
qint64 fileSize(const QString &path);

// The process's peak ("VmHWM:") or present ("VmRSS:") resident memory in MB; -1 when unknown.
qint64 memoryMB(const char *field = "VmHWM:");
