// The .vnbin backup: write and read back 100,000 people without photos and 1,000 with
// photos of about 50 KB. Each direction runs against its own address book; the peak memory
// of each direction is the process's high-water mark, reset before it starts.

#include "benchsupport.h"

#include "addressbook/ABAddressBook.h"
#include "addressbook/DemoSeeder.h"
#include "addressbook/EntryData.h"
#include "formats/backup/BackupExport.h"
#include "formats/backup/BackupImport.h"

#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>

#include <cstdio>

namespace {

// Starts a new high-water mark of resident memory (Linux: clear_refs 5).
void resetPeakMemory()
{
    QFile file(QStringLiteral("/proc/self/clear_refs"));
    if (file.open(QIODevice::WriteOnly))
        file.write("5");
}

QString peakMemory()
{
    QFile file(QStringLiteral("/proc/self/status"));
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("?");
    const QString status = QString::fromLatin1(file.readAll());
    QRegularExpressionMatch match = QRegularExpression(QStringLiteral("VmHWM:\\s*(\\d+) kB")).match(status);
    return match.hasMatch() ? QStringLiteral("%1 MB").arg(match.captured(1).toLongLong() / 1024) : QStringLiteral("?");
}

bool run(const QString &folder, const QString &name, int count, bool photos)
{
    BenchScratch scratch(folder, name);
    const QString file = scratch.documents() + QStringLiteral("/backup.vnbin");
    EntryList rows;
    {
        ABAddressBookRef book = ABAddressBook::create();
        DemoSeeder::Options options;
        options.count = count;
        options.photos = photos;
        options.photoSide = 128;
        BenchTimer timer(QStringLiteral("seed %1").arg(name));
        Result<int> seeded = DemoSeeder::seed(*book, options);
        if (!seeded) {
            std::fprintf(stderr, "seed failed: %s\n", qPrintable(seeded.error()));
            return false;
        }
        timer.report(*seeded);
        for (const ABRecordRef &person : book->copyArrayOfAllPeople())
            EntryData::appendRow(rows, person, person->recordID(), true);
    }

    resetPeakMemory();
    {
        BenchTimer timer(QStringLiteral("write %1").arg(name));
        int written = exportDataBIN(file, rows, nullptr, false);
        timer.report(written, fileSize(file));
        if (written != int(rows.size()))
            return false;
    }
    std::printf("   write %s peak memory: %s\n", qPrintable(name), qPrintable(peakMemory()));

    const QString readBook = scratch.addressBook() + QStringLiteral(".read");
    for (const char *suffix : {"", "-wal", "-shm"})
        QFile::remove(readBook + QLatin1String(suffix));
    ABAddressBook::setDefaultPath(readBook);
    resetPeakMemory();
    {
        BenchTimer timer(QStringLiteral("read %1").arg(name));
        int read = importDataBIN(file, 0, nullptr);
        timer.report(read, fileSize(file));
        if (read != int(rows.size()))
            return false;
    }
    std::printf("   read %s peak memory: %s\n", qPrintable(name), qPrintable(peakMemory()));
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/tmp/vennaro-bench");
    // A smaller count may be given for a quick look: backup_bench FOLDER COUNT.
    const int count = argc > 2 ? QByteArray(argv[2]).toInt() : 100000;
    bool ok = run(folder, QStringLiteral("%1-people").arg(count), count, false)
              && run(folder, QStringLiteral("%1-photos").arg(count / 100), count / 100, true);
    return ok ? 0 : 1;
}
