// `vennaro send` (the upload client) and `vennaro mail` (the mail composer hand-over).

#include "Command.h"
#include "platform/Localization.h"
#include "platform/MailComposer.h"
#include "shell/Documents.h"
#include "transfer/HTTPPostFile.h"
#include "transfer/PortNumberCheck.h"
#include "transfer/SendFileViewController.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QUrl>

namespace {

// A path as given, else the name of a file in the documents folder.
QString fileArgument(const QString &word)
{
    return QFileInfo::exists(word) ? QFileInfo(word).absoluteFilePath() : Documents::filePath(word);
}

int runSend(const Arguments &args)
{
    if (args.positional.size() != 1)
        return Commands::fail(QStringLiteral("send: give one file"));
    const QString target = args.value(QStringLiteral("to"));
    const qsizetype colon = target.lastIndexOf(QLatin1Char(':'));
    if (colon < 0)
        return Commands::fail(QStringLiteral("send: --to HOST:PORT names the receiving server"));
    const QString host = target.left(colon);
    const QString port = target.mid(colon + 1);
    if (const std::optional<QString> problem = PortNumberCheck::problem(port))
        return Commands::fail(*problem);
    if (host.isEmpty())
        return Commands::fail(L("KErrMissingSrvAddr"));

    HTTPPostFile poster(QUrl(QStringLiteral("http://%1:%2/filepost").arg(host, port)), fileArgument(args.positional.first()),
                        QString::fromLatin1(SendFileViewController::kUserID), QString());
    QEventLoop loop;
    QString failure;
    bool finished = false;
    QObject::connect(&poster, &HTTPPostFile::done, &loop, [&] {
        finished = true;
        loop.quit();
    });
    QObject::connect(&poster, &HTTPPostFile::failed, &loop, [&](const QString &message) {
        failure = message;
        finished = true;
        loop.quit();
    });
    poster.upload();
    if (!finished)
        loop.exec();
    if (!failure.isEmpty())
        return Commands::fail(failure);
    Commands::out() << L("KSuccess") << Qt::endl;
    return 0;
}

int runMail(const Arguments &args)
{
    if (args.positional.size() != 1)
        return Commands::fail(QStringLiteral("mail: give one file"));
    const QString path = fileArgument(args.positional.first());
    if (!QFileInfo(path).isFile())
        return Commands::fail(QStringLiteral("mail: %1 is not a file").arg(path));
    if (!MailComposer::isAvailable())
        return Commands::fail(L("KEmailNotConfigured"));
    if (!MailComposer::composeAndWait(path, L("KAdressBookContacts"), L("KSeeAttachment")))
        return Commands::fail(L("KemailFailed"));
    return 0;
}

} // namespace

VENNARO_COMMAND({QStringLiteral("send"), QStringLiteral("post a file to another device's Vennaro web server"),
                 QStringLiteral("Usage: vennaro send FILE --to HOST:PORT\n\n"
                                "Posts FILE (a path, or the name of a file in the documents folder) to the\n"
                                "Vennaro web server at HOST:PORT, which stores it in its documents folder.\n"
                                "The port is between 1025 and 65535. Prints \"Success.\" when the server\n"
                                "confirms the upload; otherwise prints why and exits with status 1."),
                 {QStringLiteral("to")},
                 {},
                 runSend});

VENNARO_COMMAND({QStringLiteral("mail"), QStringLiteral("open a new e-mail with a file attached"),
                 QStringLiteral("Usage: vennaro mail FILE\n\n"
                                "Hands FILE (a path, or the name of a file in the documents folder) to the\n"
                                "desktop's mail program through xdg-email, as the attachment of a new message\n"
                                "with the subject \"AddressBook contacts!\". The message is written and sent\n"
                                "there. Exits with status 1 when xdg-email is missing or fails."),
                 {},
                 {},
                 runMail});
