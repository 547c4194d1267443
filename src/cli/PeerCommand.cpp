// `vennaro peer receive|send`: a file between two instances over the peer transfer, driven
// through the same screens the window shows.

#include "Command.h"
#include "TerminalUiHost.h"
#include "platform/Localization.h"
#include "shell/AppData.h"
#include "shell/Documents.h"
#include "transfer/BTcliViewController.h"
#include "transfer/BTsrvViewController.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QHostAddress>

namespace {

// Prints the screen's file line, peer state and transfer status whenever one of them changes.
class StatusPrinter {
public:
    explicit StatusPrinter(BTTransferScreen *screen) : m_screen(screen)
    {
        QObject::connect(screen, &ScreenController::changed, screen, [this] { print(); });
    }

private:
    void print()
    {
        printIfChanged(m_file, m_screen->labelFile());
        printIfChanged(m_peer, m_screen->labelStatus());
        printIfChanged(m_status, m_screen->labelMSG1());
    }
    static void printIfChanged(QString &last, const QString &text)
    {
        if (text == last || text.trimmed().isEmpty())
            return;
        last = text;
        Commands::out() << text << Qt::endl;
    }

    BTTransferScreen *m_screen;
    QString m_file, m_peer, m_status;
};

int runReceive(const Arguments &args)
{
    bool ok = true;
    const uint port = args.has(QStringLiteral("port")) ? args.value(QStringLiteral("port")).toUInt(&ok)
                                                       : uint(AppData::sharedInstance().peerPort());
    if (!ok || port > 65535)
        return Commands::fail(QStringLiteral("peer receive: --port is a number from 0 to 65535"));
    QHostAddress bind(QHostAddress::Any);
    if (args.has(QStringLiteral("bind")) && !bind.setAddress(args.value(QStringLiteral("bind"))))
        return Commands::fail(QStringLiteral("peer receive: --bind \"%1\" is not an IP address").arg(args.value(QStringLiteral("bind"))));

    TerminalUiHost host(args.has(QStringLiteral("yes")));
    QEventLoop loop;
    host.onPop = [&loop] { loop.exit(1); };
    BTsrvViewController screen;
    screen.setListenAddress(bind, quint16(port));
    StatusPrinter printer(&screen);
    bool received = false;
    QObject::connect(&screen, &BTsrvViewController::fileReceived, &screen, [&received](const QString &path) {
        received = true;
        Commands::out() << QFileInfo(path).fileName() << Qt::endl;
    });
    if (args.has(QStringLiteral("once")))
        QObject::connect(&screen, &BTTransferScreen::sessionEnded, &loop, [&] { loop.exit(received ? 0 : 1); });

    host.push(&screen);
    if (!screen.conSession())
        return 1;
    Commands::out() << "Listening on " << screen.serverAddress().toString() << ":" << screen.serverPort() << Qt::endl;
    return loop.exec();
}

int runSend(const Arguments &args)
{
    if (args.positional.size() != 2)
        return Commands::fail(QStringLiteral("peer send: give one file"));
    const QString to = args.value(QStringLiteral("to"));
    if (to.isEmpty())
        return Commands::fail(QStringLiteral("peer send: give the receiver with --to HOST[:PORT]"));
    const QString name = args.positional.at(1);
    const QString path = QFileInfo(name).isAbsolute() || QFileInfo::exists(name) ? QFileInfo(name).absoluteFilePath()
                                                                                 : Documents::filePath(name);
    if (!QFileInfo(path).isFile())
        return Commands::fail(QStringLiteral("peer send: no file \"%1\" (neither a path nor in %2)")
                                  .arg(name, Documents::getDocumentsDir()));

    TerminalUiHost host(true);
    host.setTextAnswer(to);
    QEventLoop loop;
    host.onPop = [&loop] { loop.exit(1); };
    host.onAlert = [&loop](const QString &) { loop.exit(1); };
    BTcliViewController screen;
    StatusPrinter printer(&screen);
    const QString transmitted = L("KbtTXok");
    const QStringList failures{L("KbtCRCerror"), L("KError"), L("KTimeout"), L("KInterrupted")};
    QObject::connect(&screen, &ScreenController::changed, &loop, [&] {
        if (screen.labelMSG1() == transmitted)
            loop.exit(0);
        else if (failures.contains(screen.labelMSG1()))
            loop.exit(1);
    });
    // The receiver ends the session after its verdict; without one the file did not arrive.
    QObject::connect(&screen, &BTTransferScreen::sessionEnded, &loop, [&] {
        loop.exit(screen.labelMSG1() == transmitted ? 0 : 1);
    });

    host.push(&screen);
    screen.setFile(path);
    if (screen.transfer()->filename().isEmpty())
        return 1;
    return loop.exec();
}

int runPeer(const Arguments &args)
{
    const QString action = args.positional.value(0);
    if (action == QLatin1String("receive") && args.positional.size() == 1)
        return runReceive(args);
    if (action == QLatin1String("send"))
        return runSend(args);
    return Commands::fail(QStringLiteral("peer: say receive or send (see `vennaro peer --help`)"));
}

} // namespace

VENNARO_COMMAND({QStringLiteral("peer"), QStringLiteral("send a file to, or receive one from, another Vennaro"),
                 QStringLiteral("Usage: vennaro peer receive [--port N] [--bind ADDR] [--yes] [--once]\n"
                                "       vennaro peer send FILE --to HOST[:PORT]|bt:DEVICE-ADDRESS\n\n"
                                "receive listens for senders (port: the setting PeerPort, 8090 unless changed;\n"
                                "0 lets the system choose; all addresses unless --bind) and prints\n"
                                "\"Listening on ADDR:PORT\". Each sender is asked for on the terminal unless\n"
                                "--yes; the status lines and the name of every received file are printed.\n"
                                "With an adapter it also takes senders over Bluetooth. With \"Announce on the\n"
                                "local network\" on and an Avahi daemon running, it is published as\n"
                                "_vennaro._tcp. Files land in the documents folder. --once ends after the first\n"
                                "sender: exit status 0 when its file arrived, 1 otherwise.\n\n"
                                "send sends FILE (a path, or a name in the documents folder) to a receiver at\n"
                                "HOST (port 8090 unless given), or over Bluetooth to bt:DEVICE-ADDRESS where the\n"
                                "machine has an adapter, printing the status lines; exit status 0 only when the\n"
                                "receiver confirmed the file (\"File transmitted\")."),
                 {QStringLiteral("port"), QStringLiteral("bind"), QStringLiteral("to")},
                 {QStringLiteral("yes"), QStringLiteral("once")},
                 runPeer});
