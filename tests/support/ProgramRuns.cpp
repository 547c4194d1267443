#include "ProgramRuns.h"

#include "TestEnvironment.h"
#include "addressbook/ABConnection.h"

#include <QEventLoop>
#include <QProcess>
#include <QTimer>

void ProgramRuns::start(const TestEnvironment &env, QProcess &process, const QStringList &arguments)
{
    process.setProgram(qEnvironmentVariable("VENNARO_BINARY"));
    process.setArguments(QStringList{QStringLiteral("--documents"), env.documents(), QStringLiteral("--addressbook"),
                                     env.addressBookPath()}
                         + arguments);
    process.start();
}

int ProgramRuns::runAlongside(const TestEnvironment &env, const QString &configFolder, const QStringList &arguments, QString *out,
                              QString *err, const std::function<void(const QString &)> &onOutput)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("VENNARO_CONFIG"), configFolder);
    process.setProcessEnvironment(environment);
    QString collected;
    QObject::connect(&process, &QProcess::readyReadStandardOutput, &process, [&] {
        collected += QString::fromUtf8(process.readAllStandardOutput());
        if (onOutput)
            onOutput(collected);
    });
    QEventLoop loop;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    start(env, process, arguments);
    process.closeWriteChannel();
    loop.exec();
    collected += QString::fromUtf8(process.readAllStandardOutput());
    if (out)
        *out = collected;
    if (err)
        *err = QString::fromUtf8(process.readAllStandardError());
    return process.state() == QProcess::NotRunning && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
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
