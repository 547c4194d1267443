// Export speed and memory: 100,000 seeded people to TXT, HTML and CSV, and 1,000 people with
// photos to HTML. Goal: each 100,000-person export within 2 s and 300 MB.

#include "benchsupport.h"

#include "addressbook/ABAddressBook.h"
#include "addressbook/DemoSeeder.h"
#include "addressbook/WorkingSetRows.h"
#include "exporting/ExportEngine.h"
#include "shell/Documents.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QThread>

#include <cstdio>
#include <malloc.h>

namespace {

// The peak resident memory is reset before each export, so each figure is that export's own.
void resetPeakMemory()
{
    // Memory freed by the seeding goes back to the system first, so it is not counted.
    malloc_trim(0);
    QFile file(QStringLiteral("/proc/self/clear_refs"));
    if (file.open(QIODevice::WriteOnly))
        file.write("5");
}

qint64 peakMemoryMB()
{
    QFile file(QStringLiteral("/proc/self/status"));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong() / 1024;
    }
    return -1;
}

EntryList seed(int count, bool photos)
{
    ABAddressBookRef book = ABAddressBook::create();
    DemoSeeder::Options options;
    options.count = count;
    options.photos = photos;
    BenchTimer timer(QStringLiteral("seed %1 people%2").arg(count).arg(photos ? QStringLiteral(" with photos") : QString()));
    DemoSeeder::seed(*book, options);
    timer.report(count);
    return loadWorkingSetRows(*book);
}

void exportOnce(const EntryList &rows, int format, const QString &name)
{
    ExportRequest request;
    request.path = Documents::filePath(name);
    request.entries = rows;
    request.format = format;
    resetPeakMemory();
    BenchTimer timer(QStringLiteral("export %1").arg(name));
    const int answer = exportData(request);
    timer.report(answer, fileSize(request.path));
    std::printf("   peak memory during the export: %lld MB\n", peakMemoryMB());
    std::fflush(stdout);
}

// As the export screen runs it: on a worker thread, each record's progress handed to the
// main thread and waited for.
void exportFromWorker(const EntryList &rows, int format, const QString &name)
{
    struct Progress : ProgressTarget {
        void setProgress(double value) override { last = value; }
        double last = 0;
    } progress;
    ExportRequest request;
    request.path = Documents::filePath(name);
    request.entries = rows;
    request.format = format;
    request.progress = &progress;
    int answer = 0;
    BenchTimer timer(QStringLiteral("export %1 from a worker thread with progress").arg(name));
    QThread *worker = QThread::create([&] { answer = exportData(request); });
    QEventLoop loop;
    QObject::connect(worker, &QThread::finished, &loop, &QEventLoop::quit);
    worker->start();
    loop.exec();
    delete worker;
    timer.report(answer, fileSize(request.path));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/tmp");

    {
        BenchScratch scratch(folder, QStringLiteral("export"));
        const EntryList rows = seed(100000, false);
        exportOnce(rows, ExportFormat::TXT, QStringLiteral("people.txt"));
        exportOnce(rows, ExportFormat::HTML, QStringLiteral("people.html"));
        exportOnce(rows, ExportFormat::CSV, QStringLiteral("people.csv"));
        exportFromWorker(rows, ExportFormat::CSV, QStringLiteral("people-worker.csv"));
    }
    {
        BenchScratch scratch(folder, QStringLiteral("export-photos"));
        const EntryList rows = seed(1000, true);
        exportOnce(rows, ExportFormat::HTML, QStringLiteral("photos.html"));
    }
    return 0;
}
