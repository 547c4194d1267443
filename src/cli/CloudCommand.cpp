// `vennaro cloud`: the program's folder in a Dropbox or Google Drive account.

#include "Command.h"
#include "TerminalProgress.h"
#include "cloud/CloudAccounts.h"
#include "cloud/DriveFolder.h"
#include "cloud/RemoteFolder.h"
#include "importing/FileChooserViewController.h"
#include "platform/Localization.h"
#include "shell/Documents.h"
#include "shell/OAuthSession.h"
#include "shell/OAuthSignIn.h"

#include <QEventLoop>
#include <QFileInfo>

#include <cstdio>

namespace {

using Service = CloudAccounts::Service;

// Runs one asynchronous operation to its end.
template <typename T>
T waitFor(const std::function<void(std::function<void(T)>)> &operation)
{
    QEventLoop loop;
    std::optional<T> outcome;
    operation([&](T value) {
        outcome.emplace(std::move(value));
        loop.quit();
    });
    if (!outcome)
        loop.exec();
    return std::move(*outcome);
}

int login(Service service)
{
    OAuthSession *session = CloudAccounts::instance().session(service);
    OAuthSignIn signIn(session->provider(), session->network());
    QEventLoop loop;
    std::optional<Result<OAuthTokens>> outcome;
    const QUrl address = signIn.start([&](Result<OAuthTokens> tokens) {
        outcome.emplace(std::move(tokens));
        loop.quit();
    });
    Commands::out() << L("KCloudOpenAddress") << Qt::endl << address.toString(QUrl::FullyEncoded) << Qt::endl;
    if (signIn.waitsForPastedCode()) {
        Commands::out() << L("KCloudPasteCode") << Qt::endl;
        QTextStream in(stdin);
        signIn.finishWithCode(in.readLine());
    }
    if (!outcome)
        loop.exec();
    if (!*outcome)
        return Commands::fail(L("KUnableToLogin") + QLatin1Char(' ') + outcome->error());
    if (Result<void> stored = session->link(**outcome); !stored)
        return Commands::fail(stored.error());
    Commands::out() << L("KCloudSignedIn").arg(CloudAccounts::displayName(service)) << Qt::endl;
    return 0;
}

Result<QList<RemoteFile>> listed(RemoteFolder &folder)
{
    return waitFor<Result<QList<RemoteFile>>>([&folder](auto done) { folder.listContactFiles(done); });
}

// The file of the folder with this name.
Result<RemoteFile> find(RemoteFolder &folder, const QString &name)
{
    Result<QList<RemoteFile>> files = listed(folder);
    if (!files)
        return Error{files.error()};
    for (const RemoteFile &file : *files) {
        if (file.name == name)
            return file;
    }
    return Error{L("KCloudNoSuchFile").arg(name)};
}

int transfer(Service service, const QString &action, const QString &argument)
{
    RemoteFolder *folder = CloudAccounts::instance().newFolder(service, nullptr);
    std::unique_ptr<RemoteFolder> owner(folder);
    QObject::connect(folder, &RemoteFolder::waitingToRetry, folder, [](int seconds) {
        Commands::err() << L("KCloudRetryWait").arg(seconds) << Qt::endl;
    });
    if (!folder->session()->isLinked())
        return Commands::fail(L("KCloudNotLinked"));
    const bool dropbox = service == CloudAccounts::Dropbox;

    if (action == QLatin1String("list")) {
        Result<QList<RemoteFile>> files = listed(*folder);
        if (!files)
            return Commands::fail(files.error());
        for (const RemoteFile &file : *files)
            Commands::out() << file.name << '\t' << FileChooserViewController::detailsLine(file.modified, file.size) << Qt::endl;
        return 0;
    }
    if (action == QLatin1String("upload")) {
        // A bare name is a file of the documents folder.
        const QString path = QFileInfo::exists(argument) ? argument : Documents::filePath(argument);
        const QString name = QFileInfo(path).fileName();
        TerminalProgress progress(L("KUploadInProgress").simplified());
        Result<void> sent = waitFor<Result<void>>([&](auto done) {
            folder->upload(path, [&progress](double fraction) { progress.setProgress(fraction); }, done);
        });
        if (!sent)
            return Commands::fail(sent.error());
        Commands::out() << (dropbox ? L("KUploadedToDropbox").arg(name) : L("KUploadOK")) << Qt::endl;
        return 0;
    }
    Result<RemoteFile> file = find(*folder, argument);
    if (!file)
        return Commands::fail(file.error());
    if (action == QLatin1String("download")) {
        TerminalProgress progress(L("KDownloadInProgress").simplified());
        Result<void> received = waitFor<Result<void>>([&](auto done) {
            folder->download(*file, Documents::filePath(file->name), [&progress](double fraction) { progress.setProgress(fraction); }, done);
        });
        if (!received)
            return Commands::fail(received.error());
        Commands::out() << (dropbox ? L("KDownloadFromDropbox").arg(file->name) : L("KFiledownloaded")) << Qt::endl;
        return 0;
    }
    Result<void> removed = waitFor<Result<void>>([&](auto done) { folder->remove(*file, done); });
    if (!removed)
        return Commands::fail(removed.error());
    Commands::out() << L("KCloudDeleted").arg(file->name) << Qt::endl;
    return 0;
}

int runCloud(const Arguments &args)
{
    const QStringList &words = args.positional;
    Service service;
    if (words.size() < 2 || !CloudAccounts::serviceNamed(words[0], &service))
        return Commands::fail(QStringLiteral("cloud: give dropbox or drive and an action (see vennaro cloud --help)"));
    const QString action = words[1];
    if (action == QLatin1String("login") || action == QLatin1String("list")) {
        if (words.size() != 2)
            return Commands::fail(QStringLiteral("cloud: %1 takes no file name").arg(action));
        return action == QLatin1String("login") ? login(service) : transfer(service, action, QString());
    }
    if (action == QLatin1String("logout")) {
        CloudAccounts::instance().session(service)->unlink();
        return 0;
    }
    if (action != QLatin1String("upload") && action != QLatin1String("download") && action != QLatin1String("delete"))
        return Commands::fail(QStringLiteral("cloud: unknown action \"%1\"").arg(action));
    if (words.size() != 3)
        return Commands::fail(QStringLiteral("cloud: %1 needs one file name").arg(action));
    return transfer(service, action, words[2]);
}

} // namespace

VENNARO_COMMAND({QStringLiteral("cloud"), QStringLiteral("the program's folder in a Dropbox or Google Drive account"),
                 QStringLiteral("Usage: vennaro cloud dropbox|drive login\n"
                                "       vennaro cloud dropbox|drive list\n"
                                "       vennaro cloud dropbox|drive upload FILE\n"
                                "       vennaro cloud dropbox|drive download NAME\n"
                                "       vennaro cloud dropbox|drive delete NAME\n"
                                "       vennaro cloud dropbox|drive logout\n\n"
                                "Works in the folder \"Vennaro\" of the account. login prints the address to open\n"
                                "in a browser and waits for the browser to come back (when Dropbox's registered\n"
                                "port is busy, paste the code the page shows). The tokens are kept for this user\n"
                                "only in cloud-tokens.json in the configuration folder. list shows the contact\n"
                                "files (vnbin, csv, vcf, ldif) with date and size; upload sends FILE (a path, or a\n"
                                "name in the documents folder); download writes NAME into the documents folder;\n"
                                "delete removes NAME from the account. The services' addresses can be changed in\n"
                                "the user's defaults (DropboxApiURL, DropboxContentURL, DropboxAuthorizeURL,\n"
                                "DropboxTokenURL, DriveApiURL, DriveAuthorizeURL, DriveTokenURL)."),
                 {},
                 {},
                 runCloud});
