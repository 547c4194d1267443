// `vennaro account`: the contacts of an online account (CardDAV), listed, imported and exported.

#include "Command.h"
#include "TerminalProgress.h"
#include "formats/common/ImportOutcome.h"
#include "google/CardDavClient.h"
#include "google/GCSession.h"
#include "google/GCSessionWaiter.h"
#include "google/ProviderServer.h"
#include "platform/Localization.h"
#include "selection/ABEntriesLoader.h"

#include <cstdio>
#include <iostream>
#include <termios.h>
#include <unistd.h>

namespace {

// The password: from VENNARO_PASSWORD, else typed on the terminal without echo. Never from an
// argument, where other users of the machine could read it.
std::optional<QString> readPassword()
{
    if (qEnvironmentVariableIsSet("VENNARO_PASSWORD"))
        return qEnvironmentVariable("VENNARO_PASSWORD");
    if (!isatty(STDIN_FILENO))
        return std::nullopt;
    std::fputs("Password: ", stderr);
    std::fflush(stderr);
    termios saved{};
    tcgetattr(STDIN_FILENO, &saved);
    termios silent = saved;
    silent.c_lflag &= ~tcflag_t(ECHO);
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &silent);
    std::string line;
    std::getline(std::cin, line);
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
    std::fputs("\n", stderr);
    return QString::fromStdString(line);
}

Result<void> signIn(GCSessionWaiter &waiter, const Arguments &args)
{
    const QUrl server = CardDavClient::serverUrl(args.value(QStringLiteral("url")));
    QString user = args.value(QStringLiteral("user")).trimmed();
    if (!server.isValid() || user.isEmpty())
        return Error{QStringLiteral("account: give the server --url and the account --user")};
    Result<void> outcome;
    if (ProviderServer::isProvider(server)) {
        // No password there: the tokens of an earlier sign-in, else the browser.
        user = ProviderServer::completedAccountName(user);
        outcome = waiter.loginWithBrowser(server, user, [](const QUrl &address) {
            Commands::out() << L("KCloudOpenAddress") << Qt::endl << address.toString(QUrl::FullyEncoded) << Qt::endl;
        });
    } else {
        const std::optional<QString> password = readPassword();
        if (!password || password->isEmpty())
            return Error{QStringLiteral("account: set VENNARO_PASSWORD or run on a terminal to type the password")};
        outcome = waiter.login(server, user, *password);
    }
    if (!outcome)
        return Error{L("KUnableToLogin") + QStringLiteral(": ")
                     + (CardDavClient::isLoginRefusal(outcome.error()) ? L("KInvalidLogin") : outcome.error())};
    return {};
}

// Runs an import or export with a progress bar on the terminal.
GCSessionDelegate::RunResult withProgress(GCSessionWaiter &waiter, const char *task,
                                          const std::function<GCSessionDelegate::RunResult()> &run)
{
    TerminalProgress progress(L(task).simplified());
    waiter.onProgress = [&progress](double value) { progress.setProgress(value); };
    const GCSessionDelegate::RunResult result = run();
    waiter.onProgress = nullptr;
    return result;
}

int listContacts(GCSessionWaiter &waiter)
{
    Result<EntryList> rows = waiter.fetch();
    if (!rows)
        return Commands::fail(rows.error());
    for (const EntryDataRef &row : std::as_const(*rows))
        Commands::out() << row->identifier << '\t' << row->name << '\n';
    Commands::out().flush();
    return 0;
}

int importContacts(GCSession &session, GCSessionWaiter &waiter, const Arguments &args)
{
    Result<EntryList> rows = waiter.fetch();
    if (!rows)
        return Commands::fail(rows.error());
    const QStringList known = session.fetchedIdentifiers();
    QStringList chosen = known;
    if (args.has(QStringLiteral("uids"))) {
        chosen = args.value(QStringLiteral("uids")).split(QLatin1Char(','), Qt::SkipEmptyParts);
        for (const QString &uid : std::as_const(chosen)) {
            if (!known.contains(uid))
                return Commands::fail(QStringLiteral("account: the account has no contact %1").arg(uid));
        }
    }
    const GCSessionDelegate::RunResult result =
        withProgress(waiter, "KPleaseWaitImporting", [&] { return waiter.importContacts(chosen); });
    if (!result.error.isEmpty())
        return Commands::fail(result.error);
    Commands::out() << ImportOutcome::message(result.done) << Qt::endl;
    return 0;
}

int exportContacts(GCSessionWaiter &waiter, const Arguments &args)
{
    QList<int> ids;
    if (args.has(QStringLiteral("ids"))) {
        for (const QString &text : args.value(QStringLiteral("ids")).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            bool ok = false;
            ids.append(text.trimmed().toInt(&ok));
            if (!ok)
                return Commands::fail(QStringLiteral("account: \"%1\" is not a record identifier").arg(text));
        }
    } else {
        Result<ABEntriesLoader::Loaded> loaded = ABEntriesLoader::loadWorkingSet(true);
        if (!loaded)
            return Commands::fail(loaded.error());
        for (const EntryDataRef &row : std::as_const(loaded->rows))
            ids.append(row->recID);
    }
    const GCSessionDelegate::RunResult result =
        withProgress(waiter, "KPleaseWaitExporting", [&] { return waiter.exportContacts(ids); });
    if (!result.error.isEmpty())
        return Commands::fail(result.error);
    Commands::out() << QStringLiteral("%1 contacts created, %2 failed.").arg(result.done).arg(result.failed) << Qt::endl;
    return result.failed == 0 ? 0 : 1;
}

int runAccount(const Arguments &args)
{
    const QString action = args.positional.value(0);
    if (args.positional.size() != 1
        || (action != QLatin1String("list") && action != QLatin1String("import") && action != QLatin1String("export")))
        return Commands::fail(QStringLiteral("account: give list, import or export"));
    GCSession session;
    GCSessionWaiter waiter(session);
    if (Result<void> signedIn = signIn(waiter, args); !signedIn)
        return Commands::fail(signedIn.error());
    if (action == QLatin1String("list"))
        return listContacts(waiter);
    if (action == QLatin1String("import"))
        return importContacts(session, waiter, args);
    return exportContacts(waiter, args);
}

} // namespace

VENNARO_COMMAND({QStringLiteral("account"), QStringLiteral("list, import or export the contacts of an online account"),
                 QStringLiteral("Usage: vennaro account list   --url URL --user NAME\n"
                                "       vennaro account import --url URL --user NAME [--uids UID,…]\n"
                                "       vennaro account export --url URL --user NAME [--ids ID,…]\n\n"
                                "Works with a contacts server (CardDAV): URL is the server's address, found\n"
                                "through /.well-known/carddav, or the full address of one address book; the\n"
                                "first address book of the account is used. NAME is the account name; the\n"
                                "password (an app password where the account has one) is read from the\n"
                                "environment variable VENNARO_PASSWORD, else typed without echo. The\n"
                                "provider's own service (www.googleapis.com) takes no password: the account's\n"
                                "tokens of an earlier sign-in are used, else an address is printed to open in\n"
                                "a browser, and the command waits for the browser to come back.\n\n"
                                "list    prints each contact as UID<TAB>name, sorted as the address book sorts.\n"
                                "import  adds the contacts with these UIDs (default: all) to the address book,\n"
                                "        with the import field filter and the marker of the settings.\n"
                                "export  creates a contact on the server for each person with these record\n"
                                "        identifiers (default: the whole working set), with the export field\n"
                                "        filter; prints how many were created and how many failed (exit\n"
                                "        status 1 when any failed)."),
                 {QStringLiteral("url"), QStringLiteral("user"), QStringLiteral("uids"), QStringLiteral("ids")},
                 {},
                 runAccount});
