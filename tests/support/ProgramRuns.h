#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QProcess;
class TestEnvironment;

// What tests of whole program runs need beyond TestEnvironment::runProgram.
namespace ProgramRuns {
// Starts the vennaro program with the environment's paths and does not wait: for tests that stop
// it midway or change how the child runs (set those on `process` first).
void start(const TestEnvironment &env, QProcess &process, const QStringList &arguments);
// Runs the program without blocking this process's event loop, where stand-in servers live,
// with the user's defaults in `configFolder`. `onOutput` sees standard output as it comes.
// Answers the exit status, -1 when it did not end within a minute.
int runAlongside(const TestEnvironment &env, const QString &configFolder, const QStringList &arguments, QString *out,
                 QString *err = nullptr, const std::function<void(const QString &)> &onOutput = {});
// SQLite's integrity check of an address book file: "ok" when it is sound, else what is wrong.
QString integrityCheck(const QString &path);
}
