// The .vnbin backup: write and read back 100,000 people without photos and 1,000 with
// photos of about 50 KB. Seeding, writing and reading each run in a process of their own
// (this program started again with a phase), so each peak memory figure is that
// direction's alone.

#include "benchsupport.h"

#include "addressbook/ABAddressBook.h"
#include "addressbook/DemoSeeder.h"
#include "addressbook/EntryData.h"
#include "formats/backup/BackupExport.h"
#include "formats/backup/BackupImport.h"
#include "shell/Documents.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>

#include <cstdio>

#include <sys/resource.h>

namespace {

QString peakMemory()
{
    QFile file(QStringLiteral("/proc/self/status"));
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("?");
    QRegularExpressionMatch match = QRegularExpression(QStringLiteral("VmHWM:\\s*(\\d+) kB")).match(QString::fromLatin1(file.readAll()));
    return match.hasMatch() ? QStringLiteral("%1 MB").arg(match.captured(1).toLongLong() / 1024) : QStringLiteral("?");
}

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void printFootprint(const QString &what, double cpuBefore)
{
    std::printf("   %s: cpu %.3f s, peak memory %s\n", qPrintable(what), cpuSeconds() - cpuBefore, qPrintable(peakMemory()));
    std::fflush(stdout);
}

// One phase in this process: "seed", "write" or "read", on the scratch files of `name`.
int runPhase(const QString &phase, const QString &folder, const QString &name, int count, bool photos)
{
    const QString documents = folder + QStringLiteral("/Documents-") + name;
    const QString file = documents + QStringLiteral("/backup.vnbin");
    Documents::setPath(documents);
    ABAddressBook::setDefaultPath(folder + QLatin1Char('/') + name + (phase == QLatin1String("read") ? QStringLiteral("-read.db") : QStringLiteral(".db")));
    const double cpu = cpuSeconds();
    if (phase == QLatin1String("seed")) {
        BenchScratch scratch(folder, name);
        for (const char *suffix : {"", "-wal", "-shm"})
            QFile::remove(folder + QLatin1Char('/') + name + QStringLiteral("-read.db") + QLatin1String(suffix));
        DemoSeeder::Options options;
        options.count = count;
        options.photos = photos;
        options.photoSide = 128;
        BenchTimer timer(QStringLiteral("seed %1").arg(name));
        Result<int> seeded = DemoSeeder::seed(*ABAddressBook::create(), options);
        if (!seeded)
            return 1;
        timer.report(*seeded);
        // The rows of the write phase, so that it need not load every person to list them.
        QFile ids(folder + QLatin1Char('/') + name + QStringLiteral(".ids"));
        if (!ids.open(QIODevice::WriteOnly))
            return 1;
        for (const ABRecordRef &person : ABAddressBook::create()->copyArrayOfAllPeople())
            ids.write(QByteArray::number(person->recordID()) + '\n');
        return 0;
    }
    if (phase == QLatin1String("write")) {
        EntryList rows;
        QFile ids(folder + QLatin1Char('/') + name + QStringLiteral(".ids"));
        if (!ids.open(QIODevice::ReadOnly))
            return 1;
        for (const QByteArray &line : ids.readAll().split('\n')) {
            if (line.isEmpty())
                continue;
            auto row = std::make_shared<EntryData>();
            row->recID = line.toInt();
            rows.append(row);
        }
        BenchTimer timer(QStringLiteral("write %1").arg(name));
        const int written = exportDataBIN(file, rows, nullptr, false);
        timer.report(written, fileSize(file));
        printFootprint(QStringLiteral("write %1").arg(name), cpu);
        return written == count ? 0 : 1;
    }
    BenchTimer timer(QStringLiteral("read %1").arg(name));
    const int read = importDataBIN(file, 0, nullptr);
    timer.report(read, fileSize(file));
    printFootprint(QStringLiteral("read %1").arg(name), cpu);
    return read == count ? 0 : 1;
}

bool runAll(const QString &folder, const QString &name, int count, bool photos)
{
    for (const char *phase : {"seed", "write", "read"}) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--phase"), QLatin1String(phase), folder, name, QString::number(count), photos ? QStringLiteral("1") : QStringLiteral("0")});
        if (!child.waitForFinished(-1) || child.exitCode() != 0) {
            std::fprintf(stderr, "%s %s failed\n", phase, qPrintable(name));
            return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() == 6 && args[0] == QLatin1String("--phase"))
        return runPhase(args[1], args[2], args[3], args[4].toInt(), args[5] == QLatin1String("1"));
    const QString folder = args.value(0, QStringLiteral("/tmp/vennaro-bench"));
    // A smaller count may be given for a quick look: backup_bench FOLDER COUNT.
    const int count = args.size() > 1 ? args[1].toInt() : 100000;
    const bool ok = runAll(folder, QStringLiteral("%1-people").arg(count), count, false)
                    && runAll(folder, QStringLiteral("%1-photos").arg(count / 100), count / 100, true);
    return ok ? 0 : 1;
}
