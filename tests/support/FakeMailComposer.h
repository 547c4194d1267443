#pragma once

#include <QByteArray>
#include <QStringList>
#include <QTemporaryDir>

// Replaces PATH with a folder of its own for its lifetime: holding an "xdg-email" that records
// its arguments and ends with `exitCode`, or (not installed) holding nothing.
class FakeMailComposer {
public:
    explicit FakeMailComposer(bool installed = true, int exitCode = 0);
    ~FakeMailComposer();

    // The arguments of the last run, one per element; empty before any.
    QStringList arguments() const;

private:
    QTemporaryDir m_dir;
    QByteArray m_previousPath;
};
