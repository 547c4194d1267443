// `vennaro serve`: the web file manager of the documents folder, as the server screen runs it.

#include "Command.h"
#include "StopSignals.h"
#include "shell/Documents.h"
#include "transfer/HTTPServer.h"
#include "transfer/HttpFTConnection.h"

#include <QCoreApplication>
#include <QNetworkInterface>

namespace {

constexpr uint kDefaultPermissions = HttpFTPages::Upload | HttpFTPages::Delete;

// A trace line as plain terminal text: control characters in file names are shown as "?".
QString printable(QString line)
{
    for (QChar &c : line) {
        if (c.category() == QChar::Other_Control)
            c = QLatin1Char('?');
    }
    return line;
}

QString urlFor(const QHostAddress &address, quint16 port)
{
    const QString host = address.protocol() == QAbstractSocket::IPv6Protocol
                             ? QLatin1Char('[') + address.toString() + QLatin1Char(']')
                             : address.toString();
    return QStringLiteral("http://%1:%2").arg(host).arg(port);
}

// The addresses a browser can reach the server on: the one it is bound to, or every address
// of this machine.
QList<QHostAddress> reachableAddresses(const QHostAddress &bound)
{
    if (bound != QHostAddress::Any && bound != QHostAddress::AnyIPv4 && bound != QHostAddress::AnyIPv6)
        return {bound};
    QList<QHostAddress> addresses;
    for (const QHostAddress &address : QNetworkInterface::allAddresses()) {
        if (bound == QHostAddress::AnyIPv4 && address.protocol() != QAbstractSocket::IPv4Protocol)
            continue;
        if (bound == QHostAddress::AnyIPv6 && address.protocol() != QAbstractSocket::IPv6Protocol)
            continue;
        addresses.append(address);
    }
    return addresses;
}

int runServe(const Arguments &args)
{
    if (!args.positional.isEmpty())
        return Commands::fail(QStringLiteral("serve: takes no arguments"));
    bool ok = false;
    const uint port = args.value(QStringLiteral("port"), QStringLiteral("8080")).toUInt(&ok);
    if (!ok || port > 65535)
        return Commands::fail(QStringLiteral("serve: --port is a number from 0 to 65535"));
    QHostAddress bind(QHostAddress::Any);
    if (args.has(QStringLiteral("bind")) && !bind.setAddress(args.value(QStringLiteral("bind"))))
        return Commands::fail(QStringLiteral("serve: --bind takes an IPv4 or IPv6 address"));
    const uint permissions = args.value(QStringLiteral("permissions"), QString::number(kDefaultPermissions)).toUInt(&ok);
    if (!ok || permissions > 15)
        return Commands::fail(QStringLiteral("serve: --permissions is a number from 0 to 15"));

    HTTPServer server;
    server.setDocumentRoot(Documents::getDocumentsDir());
    server.setUploadPath(Documents::getDocumentsDir());
    server.setRelativePath(QStringLiteral("httpft"));
    server.setConnectionClass<HttpFTConnection>();
    server.setPERMISSIONS(permissions);
    server.setPort(quint16(port));
    server.setBindAddress(bind);
    QObject::connect(&server, &HTTPServer::trace, [](const QString &line) { Commands::out() << printable(line) << Qt::endl; });
    const Result<void> started = server.start();
    if (!started)
        return Commands::fail(QStringLiteral("serve: cannot listen on port %1: %2").arg(port).arg(started.error()));

    for (const QHostAddress &address : reachableAddresses(bind))
        Commands::out() << urlFor(address, server.port()) << Qt::endl;

    StopSignals stopSignals;
    QObject::connect(&stopSignals, &StopSignals::stopRequested, QCoreApplication::instance(), &QCoreApplication::quit);
    QCoreApplication::exec();
    server.stop();
    return 0;
}

} // namespace

VENNARO_COMMAND({QStringLiteral("serve"), QStringLiteral("serve the documents folder to web browsers"),
                 QStringLiteral("Usage: vennaro serve [--port N] [--bind ADDRESS] [--permissions BITS]\n\n"
                                "Serves the documents folder over HTTP (no password, no encryption) so that a\n"
                                "browser on the network can list, download, upload and delete files, until\n"
                                "interrupted (Ctrl-C or SIGTERM). Prints the address of each page it can be\n"
                                "reached at, then one line per action. The port defaults to 8080 (0 picks a free\n"
                                "one); by default the server listens on every address of this machine.\n"
                                "Permissions add up: 1 make-folder form, 2 upload form, 4 Delete links,\n"
                                "8 download mode (file links download); the default is 6. Nothing is announced\n"
                                "on the network."),
                 {QStringLiteral("port"), QStringLiteral("bind"), QStringLiteral("permissions")},
                 {},
                 runServe});
