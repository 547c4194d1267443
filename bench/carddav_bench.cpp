// Contacts account figures: 1,000 people exported to Radicale on loopback and imported back
// (cards per second each way). The server does the heavy part; the client batches its reads
// (addressbook-multiget) and keeps one connection alive.

#include "benchsupport.h"

#include "addressbook/ABAddressBook.h"
#include "addressbook/DemoSeeder.h"
#include "google/GCSessionWaiter.h"
#include "support/RadicaleServer.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void fail(const QString &message)
{
    std::fprintf(stderr, "%s\n", qPrintable(message));
    std::exit(1);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::tempPath() + QStringLiteral("/carddav_bench");
    QDir().mkpath(folder);
    const int people = argc > 2 ? std::atoi(argv[2]) : 1000;

    RadicaleServer server;
    if (!server.startError().isEmpty())
        fail(server.startError());
    GCSession session;
    GCSessionWaiter waiter(session);
    const Result<void> signedIn =
        waiter.login(server.bookUrl(), QString::fromLatin1(RadicaleServer::kUser), QString::fromLatin1(RadicaleServer::kPassword));
    if (!signedIn)
        fail(signedIn.error());
    {
        BenchScratch scratch(folder, QStringLiteral("carddav-export"));
        ABAddressBookRef book = ABAddressBook::create();
        DemoSeeder::Options options;
        options.count = people;
        if (!book || !DemoSeeder::seed(*book, options))
            fail(QStringLiteral("cannot seed the address book"));
        QList<int> ids;
        for (const ABRecordRef &person : book->copyArrayOfAllPeople())
            ids.append(person->recordID());
        book.reset();
        BenchTimer timer(QStringLiteral("CardDAV export to Radicale, %1 people").arg(people));
        const GCSessionDelegate::RunResult exported = waiter.exportContacts(ids);
        timer.report(exported.done);
        if (exported.done != people)
            fail(QStringLiteral("created %1 of %2: %3").arg(exported.done).arg(people).arg(exported.error));
    }
    {
        BenchScratch scratch(folder, QStringLiteral("carddav-import"));
        BenchTimer timer(QStringLiteral("CardDAV import from Radicale, %1 people (listing, multiget, import)").arg(people));
        const Result<EntryList> fetched = waiter.fetch();
        if (!fetched)
            fail(fetched.error());
        const GCSessionDelegate::RunResult imported = waiter.importContacts(session.fetchedIdentifiers());
        timer.report(imported.done);
        if (imported.done != people)
            fail(QStringLiteral("imported %1 of %2").arg(imported.done).arg(people));
    }
    return 0;
}
