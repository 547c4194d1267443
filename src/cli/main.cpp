// vennaro: the command line, and the desktop window when no command is given.

#include "Command.h"
#include "addressbook/ABAddressBook.h"
#include "platform/DeviceFacts.h"
#include "shell/AppData.h"
#include "shell/Documents.h"
#include "shell/LaunchOptions.h"

#include <QCoreApplication>

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

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Vennaro"));
    QCoreApplication::setApplicationVersion(DeviceFacts::applicationVersion());

    LaunchOptions options = LaunchOptions::parse(app.arguments().mid(1));
    if (!options.error.isEmpty())
        return Commands::fail(options.error + QStringLiteral(" (see `vennaro --help`)"));
    if (options.version) {
        Commands::out() << "Vennaro " << DeviceFacts::applicationVersion() << Qt::endl;
        return 0;
    }
    if (options.help || options.command.isEmpty()) {
        printHelp();
        return 0;
    }
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
