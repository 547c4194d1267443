// vCard and Windows contact figures: 100,000 people to one .vcf and back in, 10,000 people to
// a zip of Windows contact files.

#include "benchsupport.h"

#include "addressbook/ABAddressBook.h"
#include "addressbook/DemoSeeder.h"
#include "addressbook/EntryData.h"
#include "formats/vcard/VCARDimport.h"
#include "formats/vcard/VCardWriter.h"
#include "formats/wincontact/WinContactWriter.h"
#include "formats/wincontact/ZipPackaging.h"
#include "shell/AppData.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdio>
#include <cstdlib>

namespace {

// Seeds `count` people without photos and answers one selected row per person.
EntryList seeded(int count)
{
    ABAddressBookRef book = ABAddressBook::create();
    DemoSeeder::Options options;
    options.count = count;
    if (!book || !DemoSeeder::seed(*book, options)) {
        std::fprintf(stderr, "cannot seed the address book\n");
        std::exit(1);
    }
    EntryList rows;
    for (const ABRecordRef &person : book->copyArrayOfAllPeople()) {
        auto row = std::make_shared<EntryData>();
        row->recID = person->recordID();
        rows.append(row);
    }
    return rows;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::tempPath() + QStringLiteral("/vcard_bench");
    QDir().mkpath(folder);
    // argv[2], when given, scales the run down for profiling: N people to vCard, N/10 to WIN.
    const int people = argc > 2 ? std::atoi(argv[2]) : 100000;

    QString vcf;
    {
        BenchScratch scratch(folder, QStringLiteral("vcard-export"));
        const EntryList rows = seeded(people);
        const QString base = scratch.documents() + QStringLiteral("/people");
        BenchTimer timer(QStringLiteral("vCard export, %1 people, one file").arg(people));
        const int written = VCardWriter::exportDataVCARD(base, rows, FieldFilter::Default, 0, true, nullptr);
        vcf = base + QStringLiteral(".vcf");
        timer.report(written, fileSize(vcf));
    }
    {
        BenchScratch scratch(folder, QStringLiteral("vcard-import"));
        BenchTimer timer(QStringLiteral("vCard import, the same file"));
        const int read = VCARDimport::importFile(vcf, FieldFilter::Default, 0, nullptr);
        timer.report(read, fileSize(vcf));
        if (read != people)
            std::fprintf(stderr, "imported %d of %d\n", read, people);
    }
    {
        BenchScratch scratch(folder, QStringLiteral("win"));
        const EntryList rows = seeded(people / 10);
        const QString exportFolder = scratch.documents() + QStringLiteral("/people");
        QDir().mkpath(exportFolder);
        BenchTimer timer(QStringLiteral("Windows contacts, %1 people, files and zip").arg(people / 10));
        const int written = WinContactWriter::exportDataWin(exportFolder, rows, FieldFilter::Default, 0, nullptr);
        ZipPackaging::zipFolder(QStringLiteral("people"), QStringLiteral("people.zip"), scratch.documents());
        timer.report(written, fileSize(scratch.documents() + QStringLiteral("/people.zip")));
    }
    return 0;
}
