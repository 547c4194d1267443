// vennaro: the command line, and the desktop window when no command is given.

#include "Command.h"
#include "addressbook/ABAddressBook.h"
#include "gui/GuiApplication.h"
#include "platform/DeviceFacts.h"
#include "shell/AppData.h"
#include "shell/Documents.h"
#include "shell/LaunchOptions.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QUrl>

#ifdef VENNARO_WITH_MIMALLOC
#include <mimalloc.h>

#include <sys/mman.h>
#endif

namespace {

void printHelp()
{
    QTextStream &out = Commands::out();
    out << "Usage: vennaro [--documents DIR] [--addressbook FILE] [COMMAND [ARGS…] | FILE]\n\n"
           "Without a command Vennaro opens its window; with a file it offers to import it.\n\n"
           "Commands:\n";
    for (const Command &command : Commands::all())
        out << "  " << command.name.leftJustified(12) << command.summary << "\n";
    out << "\nGlobal options:\n"
           "  --documents DIR     the documents folder (default: $VENNARO_DOCUMENTS or ~/Documents/Vennaro)\n"
           "  --addressbook FILE  the address book (default: $VENNARO_ADDRESSBOOK or\n"
           "                      $XDG_DATA_HOME/vennaro/addressbook.db)\n"
           "\n`vennaro COMMAND --help` describes a command.\n";
    out.flush();
}

int runCommand(const Command &command, const QStringList &words)
{
    if (words.contains(QStringLiteral("--help")) || words.contains(QStringLiteral("-h"))) {
        Commands::out() << command.usage << Qt::endl;
        return 0;
    }
    Arguments args = parseArguments(words, command.valueOptions, command.flags);
    if (!args.error.isEmpty())
        return Commands::fail(QStringLiteral("%1: %2 (see `vennaro %1 --help`)").arg(command.name, args.error));
    int status = command.run(args);
    Commands::out().flush();
    return status;
}

// A word that is no command but a file to open (or a link handed back to the window).
bool isHandedIn(const QString &word)
{
    if (QFileInfo(word).isFile())
        return true;
    const QUrl url(word);
    return url.isValid() && url.scheme().size() > 1;
}

int runWindow(int &argc, char **argv, const LaunchOptions &options)
{
    if (!GuiApplication::displayAvailable()) {
        Commands::err() << "vennaro: no display to open the window on; use a command (`vennaro --help`) "
                           "or run the window under `xvfb-run vennaro`"
                        << Qt::endl;
        return 1;
    }
    return GuiApplication::run(argc, argv, options);
}

#ifdef VENNARO_WITH_MIMALLOC
// A command that reads or writes a whole book touches tens of megabytes of fresh memory. The
// allocator is handed a span of address space that the system may back with pages of 2 MB: a
// few hundred page faults instead of tens of thousands, which cost most on virtual machines.
// Only what is touched takes memory, and what is freed goes back; past the span, memory comes
// from the system as before.
void useLargePagesForTheHeap()
{
    constexpr size_t kAlignment = size_t(64) << 20; // at least the allocator's segment size
    constexpr size_t kSpan = size_t(1) << 30;
    void *reserved = mmap(nullptr, kSpan + kAlignment, PROT_READ | PROT_WRITE,
                          MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (reserved == MAP_FAILED)
        return;
    char *const first = static_cast<char *>(reserved);
    char *const start = reinterpret_cast<char *>((reinterpret_cast<uintptr_t>(first) + kAlignment - 1) & ~(kAlignment - 1));
    // The unaligned ends go back at once.
    if (start != first)
        munmap(first, size_t(start - first));
    if (const size_t tail = kAlignment - size_t(start - first); tail > 0)
        munmap(start + kSpan, tail);
    madvise(start, kSpan, MADV_HUGEPAGE);
    if (!mi_manage_os_memory(start, kSpan, false, false, true, -1))
        munmap(start, kSpan);
}
#endif

} // namespace

int main(int argc, char **argv)
{
#ifdef VENNARO_WITH_MIMALLOC
    useLargePagesForTheHeap();
#endif
    QStringList words;
    for (int i = 1; i < argc; ++i)
        words.append(QString::fromLocal8Bit(argv[i]));
    LaunchOptions options = LaunchOptions::parse(words);
    if (!options.error.isEmpty())
        return Commands::fail(options.error + QStringLiteral(" (see `vennaro --help`)"));
    if (options.version) {
        Commands::out() << "Vennaro " << DeviceFacts::applicationVersion() << Qt::endl;
        return 0;
    }
    if (options.help) {
        printHelp();
        return 0;
    }
    // The window: no command, or a file handed in (a command of that name wins).
    if (options.command.isEmpty()
        || (!Commands::find(options.command) && isHandedIn(options.command) && options.commandArguments.isEmpty()))
        return runWindow(argc, argv, options);

    // Commands share their event loop with no window: Qt's own loop wakes with fewer system
    // calls than the GLib one, which the web server's requests per second show.
    qputenv("QT_NO_GLIB", "1");
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Vennaro"));
    QCoreApplication::setApplicationVersion(DeviceFacts::applicationVersion());
    if (!options.documents.isEmpty())
        Documents::setPath(options.documents);
    if (!options.addressbook.isEmpty())
        ABAddressBook::setDefaultPath(options.addressbook);
    AppData::sharedInstance().loadSettings();

    const Command *command = Commands::find(options.command);
    if (!command)
        return Commands::fail(QStringLiteral("unknown command \"%1\" (see `vennaro --help`)").arg(options.command));
    return runCommand(*command, options.commandArguments);
}
