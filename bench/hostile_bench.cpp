// Hostile files read by `vennaro import`, one process each: the exit status, the time and the
// peak memory of each, against the bound its reader promises. Arguments: the scratch folder,
// the length of the single long line in bytes (default 2 GiB) and the number of records of the
// many-record files (default 10^6).
//
// The bounds (FileLines' cap on one line is 64 MB; the program itself takes kFixedMB):
//   a line past the cap, any reader: refused once the cap is reached, kFixedMB + 3 × the cap
//   vCard and CSV hold the whole file: kFixedMB + 12 × the file's size
//   LDIF is read line by line: kFixedMB + 12 × its longest line + 2 KB per person

#include "benchsupport.h"
#include "formats/common/FileLines.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <cstdio>
#include <cstdlib>
#include <functional>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Writes a file in pieces, so that the benchmark itself stays small.
using Writer = std::function<void(QFile &)>;

void repeat(QFile &file, qint64 times, const std::function<QByteArray(qint64)> &piece)
{
    QByteArray block;
    for (qint64 i = 0; i < times; ++i) {
        block += piece(i);
        if (block.size() > (1 << 20)) {
            file.write(block);
            block.clear();
        }
    }
    file.write(block);
}

void filler(QFile &file, qint64 bytes, char c)
{
    const QByteArray block(1 << 20, c);
    for (qint64 left = bytes; left > 0; left -= block.size())
        file.write(block.constData(), qMin<qint64>(left, block.size()));
}

constexpr double kFixedMB = 96;
constexpr double kMB = 1048576.0;

enum class Reader { WholeFile, LineByLine };

// The peak memory in MB a reader may need for a file, by the bounds above.
double boundMB(Reader reader, qint64 size, qint64 longestLine, qint64 persons)
{
    const qint64 cap = FileLines::kDefaultMaxLineBytes;
    if (longestLine > cap)
        return kFixedMB + 3.0 * double(cap) / kMB;
    if (reader == Reader::WholeFile)
        return kFixedMB + 12.0 * double(size) / kMB;
    return kFixedMB + (12.0 * double(longestLine) + 2048.0 * double(persons)) / kMB;
}

struct Outcome {
    int status = -1;
    double seconds = 0;
    long peakKB = 0;
};

// Runs the program as a child and reads its peak resident size from the kernel.
Outcome runImport(const BenchScratch &scratch, const QString &path)
{
    const QByteArray program = qgetenv("VENNARO_BINARY");
    const QByteArray documents = QFile::encodeName(scratch.documents());
    const QByteArray book = QFile::encodeName(scratch.addressBook());
    const QByteArray input = QFile::encodeName(path);
    QFile::remove(scratch.addressBook());
    QElapsedTimer clock;
    clock.start();
    // Unflushed lines would be written once more by the child.
    std::fflush(stdout);
    const pid_t child = fork();
    if (child == 0) {
        freopen("/dev/null", "w", stdout);
        execl(program.constData(), program.constData(), "--documents", documents.constData(), "--addressbook", book.constData(),
              "import", input.constData(), "--yes", "--map", "0=Note", static_cast<char *>(nullptr));
        _exit(127);
    }
    Outcome outcome;
    int status = 0;
    rusage usage{};
    if (child > 0 && wait4(child, &status, 0, &usage) == child) {
        outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        outcome.peakKB = usage.ru_maxrss;
    }
    outcome.seconds = double(clock.nsecsElapsed()) / 1e9;
    return outcome;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    BenchScratch scratch(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/tmp"), QStringLiteral("hostile"));
    const qint64 longLine = argc > 2 ? atoll(argv[2]) : (qint64(2) << 30);
    const qint64 million = argc > 3 ? atoll(argv[3]) : 1000000;
    const QByteArray photo = QByteArray(37 * 1024 * 1024, '\x5a').toBase64();

    const struct {
        const char *name;
        Reader reader;
        qint64 longestLine;
        qint64 persons;
        Writer write;
    } inputs[] = {
        {"million-cards.vcf", Reader::WholeFile, 0, million,
         [&](QFile &f) { repeat(f, million, [](qint64 i) { return "BEGIN:VCARD\nN:L" + QByteArray::number(i) + ";F;;;\nEND:VCARD\n"; }); }},
        {"million-rows.csv", Reader::WholeFile, 0, million, [&](QFile &f) {
             f.write("Note\n");
             repeat(f, million, [](qint64 i) { return "row " + QByteArray::number(i) + '\n'; });
         }},
        {"million-entries.ldif", Reader::LineByLine, 32, million,
         [&](QFile &f) { repeat(f, million, [](qint64 i) { return "dn: cn=" + QByteArray::number(i) + "\nsn: L" + QByteArray::number(i) + "\n\n"; }); }},
        {"photo-line-50MB.vcf", Reader::WholeFile, photo.size(), 1,
         [&](QFile &f) { f.write("BEGIN:VCARD\nN:Photo;;;;\nPHOTO;ENCODING=b:" + photo + "\nEND:VCARD\n"); }},
        {"photo-line-50MB.ldif", Reader::LineByLine, photo.size(), 1,
         [&](QFile &f) { f.write("dn: cn=Photo\nsn: Photo\njpegPhoto:: " + photo + "\n\n"); }},
        {"long-line.vcf", Reader::WholeFile, longLine, 1, [&](QFile &f) {
             f.write("BEGIN:VCARD\nN:Long;;;;\nNOTE:");
             filler(f, longLine, 'v');
             f.write("\nEND:VCARD\n");
         }},
        {"long-line.csv", Reader::WholeFile, longLine, 1, [&](QFile &f) {
             f.write("Note\n");
             filler(f, longLine, 'c');
         }},
        {"long-line.ldif", Reader::LineByLine, longLine, 1, [&](QFile &f) {
             f.write("dn: cn=Long\nsn: ");
             filler(f, longLine, 'l');
             f.write("\n\n");
         }},
    };

    std::printf("   %-22s %10s %6s %9s %10s %10s %s\n", "input", "size MB", "exit", "seconds", "peak MB", "bound MB", "within");
    for (const auto &input : inputs) {
        const QString path = QDir(scratch.documents()).filePath(QString::fromLatin1(input.name));
        {
            QFile file(path);
            if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
                std::fprintf(stderr, "cannot write %s\n", input.name);
                return 1;
            }
            input.write(file);
        }
        const qint64 size = fileSize(path);
        const Outcome outcome = runImport(scratch, path);
        QFile::remove(path);
        const double peakMB = double(outcome.peakKB) / 1024.0;
        const double bound = boundMB(input.reader, size, input.longestLine, input.persons);
        std::printf("   %-22s %10.1f %6d %9.2f %10.1f %10.1f %s\n", input.name, double(size) / kMB, outcome.status, outcome.seconds,
                    peakMB, bound, peakMB <= bound ? "yes" : "NO");
        std::fflush(stdout);
    }
    return 0;
}
