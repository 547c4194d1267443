#include "MailComposer.h"

#include "DevLog.h"

#include <QPointer>
#include <QProcess>
#include <QStandardPaths>

namespace {
const QString kProgram = QStringLiteral("xdg-email");

QString programPath()
{
    return QStandardPaths::findExecutable(kProgram);
}

bool endedWell(const QProcess &process)
{
    if (process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0)
        return true;
    DevLog::log(QStringLiteral("xdg-email failed: exit %1 %2").arg(process.exitCode()).arg(process.errorString()));
    return false;
}
}

bool MailComposer::isAvailable()
{
    return !programPath().isEmpty();
}

QStringList MailComposer::arguments(const QString &attachment, const QString &subject, const QString &body)
{
    return {QStringLiteral("--subject"), subject, QStringLiteral("--body"), body, QStringLiteral("--attach"), attachment};
}

void MailComposer::compose(const QString &attachment, const QString &subject, const QString &body, QObject *context,
                           std::function<void(bool handedOver)> done)
{
    // xdg-email may wait until the mail program is closed: neither the window nor the screen
    // that asked waits with it, and the screen going away does not end the mail program.
    auto *process = new QProcess;
    process->setProgram(programPath());
    process->setArguments(arguments(attachment, subject, body));
    process->setStandardOutputFile(QProcess::nullDevice());
    auto finish = [process, context = QPointer<QObject>(context), done = std::move(done)](bool handedOver) {
        process->deleteLater();
        if (context)
            done(handedOver);
    };
    QObject::connect(process, &QProcess::finished, process, [process, finish] { finish(endedWell(*process)); });
    QObject::connect(process, &QProcess::errorOccurred, process, [process, finish](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        DevLog::log(QStringLiteral("xdg-email could not be started: %1").arg(process->errorString()));
        finish(false);
    });
    process->start();
}

bool MailComposer::composeAndWait(const QString &attachment, const QString &subject, const QString &body)
{
    QProcess process;
    process.setProgram(programPath());
    process.setArguments(arguments(attachment, subject, body));
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start();
    if (!process.waitForFinished(-1)) {
        DevLog::log(QStringLiteral("xdg-email could not be started: %1").arg(process.errorString()));
        return false;
    }
    return endedWell(process);
}
