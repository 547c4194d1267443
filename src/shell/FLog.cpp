#include "FLog.h"

#include "Documents.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRecursiveMutex>

FLog &FLog::sharedInstance()
{
    static QRecursiveMutex creation;
    QMutexLocker lock(&creation);
    static FLog *instance = [] {
        auto *log = new FLog;
        log->start();
        return log;
    }();
    return *instance;
}

void FLog::start()
{
    const QString folder = Documents::getDocumentsDir();
    QStringList logs;
    QDirIterator it(folder, {QStringLiteral("*.log")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        logs.append(QDir(folder).relativeFilePath(it.next()));
    logs.sort();
    if (!logs.isEmpty())
        logs.removeLast();
    for (const QString &old : std::as_const(logs))
        QFile::remove(folder + QLatin1Char('/') + old);

    m_path = folder + QStringLiteral("/Vennaro_%1.log").arg(QDateTime::currentSecsSinceEpoch());
    QFile::remove(m_path);
}

void FLog::log(const QString &message)
{
    // Each line opens, appends and closes, so that a crash loses nothing already logged.
    QFile file(m_path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return;
    QByteArray line = QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz")).toUtf8();
    line += ' ';
    line += message.toUtf8();
    line += '\n';
    file.write(line);
}

void FLogLine(const QString &message)
{
    FLog::sharedInstance().log(message);
}
