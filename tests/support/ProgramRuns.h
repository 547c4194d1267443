#pragma once

#include <QString>
#include <QStringList>

class QProcess;
class TestEnvironment;

// What tests of whole program runs need beyond TestEnvironment::runProgram.
namespace ProgramRuns {
// Starts the vennaro program with the environment's paths and does not wait: for tests that stop
// it midway or change how the child runs (set those on `process` first).
void start(const TestEnvironment &env, QProcess &process, const QStringList &arguments);
// SQLite's integrity check of an address book file: "ok" when it is sound, else what is wrong.
QString integrityCheck(const QString &path);
}
