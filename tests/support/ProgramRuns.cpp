#include "ProgramRuns.h"

#include "TestEnvironment.h"
#include "addressbook/ABConnection.h"

#include <QProcess>

void ProgramRuns::start(const TestEnvironment &env, QProcess &process, const QStringList &arguments)
{
    process.setProgram(qEnvironmentVariable("VENNARO_BINARY"));
    process.setArguments(QStringList{QStringLiteral("--documents"), env.documents(), QStringLiteral("--addressbook"),
                                     env.addressBookPath()}
                         + arguments);
    process.start();
}

QString ProgramRuns::integrityCheck(const QString &path)
{
    auto connection = ABConnection::open(path, false);
    if (!connection)
        return connection.error();
    ABConnection::Statement check(**connection, "PRAGMA integrity_check");
    QStringList findings;
    while (check.step())
        findings.append(check.columnText(0));
    return check.failed() ? (*connection)->error() : findings.join(QLatin1Char('\n'));
}
