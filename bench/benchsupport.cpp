#include "benchsupport.h"

#include "addressbook/ABAddressBook.h"
#include "shell/AppData.h"
#include "shell/Documents.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <cstring>

BenchScratch::BenchScratch(const QString &folder, const QString &name)
    : m_documents(folder + QStringLiteral("/Documents-") + name), m_addressBook(folder + QLatin1Char('/') + name + QStringLiteral(".db"))
{
    QDir(m_documents).removeRecursively();
    for (const char *suffix : {"", "-wal", "-shm"})
        QFile::remove(m_addressBook + QLatin1String(suffix));
    QDir().mkpath(m_documents);
    Documents::setPath(m_documents);
    ABAddressBook::setDefaultPath(m_addressBook);
    AppData::sharedInstance().resetToDefaults();
}

void BenchTimer::report(qint64 items, qint64 bytes) const
{
    double s = seconds();
    QString line = QStringLiteral("   %1: %2 s").arg(m_what).arg(s, 0, 'f', 3);
    if (items > 0)
        line += QStringLiteral(" (%1 records, %2 records/s").arg(items).arg(qint64(items / s));
    if (bytes > 0)
        line += QStringLiteral(", %1 MB, %2 MB/s").arg(double(bytes) / 1e6, 0, 'f', 1).arg(double(bytes) / 1e6 / s, 0, 'f', 1);
    if (items > 0)
        line += QLatin1Char(')');
    std::printf("%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

qint64 fileSize(const QString &path)
{
    return QFileInfo(path).size();
}

qint64 memoryMB(const char *field)
{
    QFile file(QStringLiteral("/proc/self/status"));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qsizetype(strlen(field))).trimmed().split(' ').first().toLongLong() / 1024;
    }
    return -1;
}

qint64 benchBytes(qint64 defaultBytes)
{
    const qint64 megabytes = qEnvironmentVariableIntValue("VENNARO_BENCH_MB");
    return megabytes > 0 ? megabytes * 1000 * 1000 : defaultBytes;
}
