// Export speed and memory: 100,000 seeded people to TXT, HTML, CSV and LDIF (Vennaro schema),
// and 1,000 people with photos to HTML. Goal: each 100,000-person export within 2 s and 300 MB.

#include "benchsupport.h"

#include "addressbook/ABAddressBook.h"
#include "addressbook/DemoSeeder.h"
#include "selection/ABEntriesLoader.h"
#include "addressbook/ABSources.h"
#include "exporting/ExportEngine.h"
#include "shell/Documents.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QThread>

#include <cstdio>
#include <cstring>
#include <malloc.h>
#include <sys/resource.h>

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

// Processor time of this process so far, in seconds: on a shared machine it says more than
// the wall clock.
double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

EntryList seed(int count, bool photos)
{
    {
        // Seeded in a process of its own when the program is at hand, so that this process's
        // heap is not left fragmented by it.
        BenchTimer timer(QStringLiteral("seed %1 people%2").arg(count).arg(photos ? QStringLiteral(" with photos") : QString()));
        const QString binary = qEnvironmentVariable("VENNARO_BINARY");
        if (!binary.isEmpty()) {
            QStringList arguments{QStringLiteral("--documents"), Documents::getDocumentsDir(), QStringLiteral("--addressbook"),
                                  ABAddressBook::defaultPath(), QStringLiteral("seed"), QStringLiteral("--count"), QString::number(count)};
            if (photos)
                arguments.append(QStringLiteral("--photos"));
            QProcess::execute(binary, arguments);
        } else {
            ABAddressBookRef book = ABAddressBook::create();
            DemoSeeder::Options options;
            options.count = count;
            options.photos = photos;
            DemoSeeder::seed(*book, options);
        }
        timer.report(count);
    }
    ABAddressBookRef book = ABAddressBook::create();
    BenchTimer timer(QStringLiteral("build the sorted rows of the working set"));
    EntryList rows = ABEntriesLoader::rowsForWorkingSet(*book, book->sortOrdering(), true);
    timer.report(rows.size());
    return rows;
}

void exportOnce(const EntryList &rows, int format, const QString &name)
{
    ExportRequest request;
    request.path = Documents::filePath(name);
    request.people = rows;
    request.format = format;
    resetPeakMemory();
    const qint64 before = memoryMB("VmRSS:");
    const double cpuBefore = cpuSeconds();
    BenchTimer timer(QStringLiteral("export %1").arg(name));
    const int answer = exportData(request);
    timer.report(answer, fileSize(request.path));
    std::printf("   processor time %.3f s; memory: %lld MB before, peak %lld MB during the export\n", cpuSeconds() - cpuBefore,
                before, memoryMB());
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
    request.people = rows;
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

// What reading the people costs alone, for comparison with the exports.
void readOnly(const EntryList &rows)
{
    ABAddressBookRef book = ABAddressBook::create();
    QList<ABRecordID> ids;
    int people = 0;
    BenchTimer timer(QStringLiteral("read the same people without writing (address book alone)"));
    for (qsizetype start = 0; start < rows.size(); start += 1000) {
        ids.clear();
        for (qsizetype i = start; i < std::min(rows.size(), start + 1000); ++i)
            ids.append(rows[i]->recID);
        for (const ABRecordRef &person : book->peopleWithRecordIDs(ids))
            people += person ? 1 : 0;
        book->releaseUnusedRecords();
    }
    timer.report(people);
}

// The command a user runs, in a process of its own: its peak memory is the export's.
void exportCommand(const QString &scratchDocuments, const QString &addressBook, const QString &format)
{
    const QString binary = qEnvironmentVariable("VENNARO_BINARY");
    if (binary.isEmpty())
        return;
    QProcess process;
    BenchTimer timer(QStringLiteral("vennaro export --format %1 (whole command: rows, sorting, export)").arg(format));
    process.start(QStringLiteral("/usr/bin/time"), {QStringLiteral("-f"), QStringLiteral("%M"), binary, QStringLiteral("--documents"),
                                                    scratchDocuments, QStringLiteral("--addressbook"), addressBook,
                                                    QStringLiteral("export"), QStringLiteral("--format"), format,
                                                    QStringLiteral("--name"), QStringLiteral("command")});
    process.waitForFinished(-1);
    const QString path = scratchDocuments + QStringLiteral("/command.") + format;
    timer.report(100000, fileSize(path));
    const QList<QByteArray> lines = process.readAllStandardError().trimmed().split('\n');
    std::printf("   peak memory of the command: %lld MB\n", lines.last().toLongLong() / 1024);
    std::fflush(stdout);
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
        exportOnce(rows, ExportFormat::LDIF, QStringLiteral("people.ldif"));
        exportFromWorker(rows, ExportFormat::CSV, QStringLiteral("people-worker.csv"));
        readOnly(rows);
        for (const QString &format : {QStringLiteral("txt"), QStringLiteral("html"), QStringLiteral("csv"), QStringLiteral("ldif")})
            exportCommand(scratch.documents(), scratch.addressBook(), format);
    }
    {
        BenchScratch scratch(folder, QStringLiteral("export-photos"));
        const EntryList rows = seed(1000, true);
        exportOnce(rows, ExportFormat::HTML, QStringLiteral("photos.html"));
    }
    return 0;
}
