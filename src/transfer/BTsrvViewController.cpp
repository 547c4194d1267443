#include "BTsrvViewController.h"

#include "DnsSd.h"
#include "PeerTransport.h"
#include "platform/DevLog.h"
#include "platform/Localization.h"
#include "shell/AppData.h"
#include "shell/UiHost.h"

BTsrvViewController::BTsrvViewController(QObject *parent)
    : BTTransferScreen(BTsrvScreen, true, parent), m_listenAddress(QHostAddress::Any),
      m_listenPort(quint16(AppData::sharedInstance().peerPort())), m_publisher(new DnsSdPublisher(this))
{
    _labelMSG1 = L("KbtSrvWaiting");
    connect(_btFT.get(), &BTfileTransfer::fileReceived, this, &BTsrvViewController::fileReceived);
}

QString BTsrvViewController::title() const
{
    return L("KBTserver");
}

void BTsrvViewController::setListenAddress(const QHostAddress &address, quint16 port)
{
    m_listenAddress = address;
    m_listenPort = port;
}

void BTsrvViewController::viewDidAppear()
{
    BTTransferScreen::viewDidAppear();
    startSession();
}

void BTsrvViewController::startSession()
{
    if (m_transport)
        return;
    m_transport = new PeerTransport(QStringLiteral("Vennaro"));
    m_transport->setListenAddress(m_listenAddress, m_listenPort);
    setSession(m_transport);
    connect(m_transport, &PeerTransport::connectionRequested, this, &BTsrvViewController::connectionRequested);
    const Result<void> listening = m_transport->setAvailable(true);
    if (!listening) {
        showErrorExitAlert(L("KPeerCannotListen").arg(m_listenPort).arg(listening.error()));
        return;
    }
    m_publisher->publish(QStringLiteral("Vennaro"), "_vennaro._tcp", m_transport->serverPort());
}

void BTsrvViewController::viewWillDisappear()
{
    m_publisher->stop();
    BTTransferScreen::viewWillDisappear();
}

quint16 BTsrvViewController::serverPort() const
{
    return m_transport ? m_transport->serverPort() : 0;
}

QHostAddress BTsrvViewController::serverAddress() const
{
    return m_transport ? m_transport->serverAddress() : m_listenAddress;
}

void BTsrvViewController::connectionRequested(const QString &peerId)
{
    PeerSession *session = conSession();
    if (!session)
        return;
    if (_btFT->fh()) {
        DevLog::log(QStringLiteral("connection request from %1 denied: a file is being received").arg(peerId));
        session->denyConnectionFromPeer(peerId);
        return;
    }
    UiHost *host = UiHost::current();
    const QString question = L("KbtAccept").arg(session->displayNameForPeer(peerId));
    const bool yes = host && host->ask(QStringLiteral("Vennaro"), question, {L("KNo"), L("KYes")}, 0) == 1;
    // The question may have outlived the session (the screen was left meanwhile).
    if (conSession() != session)
        return;
    if (yes) {
        _peerId = peerId;
        session->acceptConnectionFromPeer(peerId);
    } else {
        session->denyConnectionFromPeer(peerId);
    }
}

void BTsrvViewController::connectionWithPeerFailed(const QString &, const QString &)
{
    _btFT->cleanup();
    setFTStatus(QStringLiteral("Error"));
}
