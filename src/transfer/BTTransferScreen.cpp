#include "BTTransferScreen.h"

#include "PeerSession.h"
#include "platform/Localization.h"
#include "shell/UiHost.h"

BTTransferScreen::BTTransferScreen(int screenNumber, bool isServer, QObject *parent)
    : ScreenController(screenNumber, parent), _btFT(std::make_unique<BTfileTransfer>(this, isServer)),
      _labelStatus(L("KbtWaitCon"))
{
}

BTTransferScreen::~BTTransferScreen()
{
    invalidateSession();
}

QString BTTransferScreen::peerStateText(int state, const QString &displayName)
{
    switch (state) {
    case PeerSession::PeerStateAvailable: return L("KbtAvailable");
    case PeerSession::PeerStateUnavailable: return L("KbtUnavailable");
    case PeerSession::PeerStateConnected: return L("KbtConnectedAndLabel").arg(displayName);
    case PeerSession::PeerStateDisconnected: return L("KbtDisconnected");
    case PeerSession::PeerStateConnecting: return L("KbtConnecting");
    default: return QString();
    }
}

void BTTransferScreen::setSession(PeerSession *session)
{
    invalidateSession();
    _conSession = session;
    session->setParent(this);
    connect(session, &PeerSession::peerChangedState, this, &BTTransferScreen::peerChangedState);
    connect(session, &PeerSession::dataReceived, this, [this](const QByteArray &message, const QString &peerId) {
        if (peerId == _peerId)
            _btFT->receiveData(message);
    });
    connect(session, &PeerSession::connectionWithPeerFailed, this, &BTTransferScreen::connectionWithPeerFailed);
    connect(session, &PeerSession::sessionFailed, this, &BTTransferScreen::showErrorExitAlert);
}

void BTTransferScreen::peerChangedState(const QString &peerId, int state)
{
    const QString text = peerStateText(state, _conSession ? _conSession->displayNameForPeer(peerId) : QString());
    if (text.isEmpty())
        return;
    _labelStatus = text;
    if (state == PeerSession::PeerStateConnected) {
        _peerId = peerId;
        m_connected = true;
        Q_EMIT changed();
        peerConnected();
    } else if (state == PeerSession::PeerStateDisconnected) {
        m_connected = false;
        Q_EMIT changed();
        _btFT->disconnected();
        Q_EMIT sessionEnded();
    } else {
        Q_EMIT changed();
    }
}

void BTTransferScreen::sendData(const QByteArray &packet)
{
    if (_conSession)
        _conSession->sendData(packet, _peerId);
}

void BTTransferScreen::disconnect()
{
    if (_conSession)
        _conSession->disconnectFromAllPeers();
}

void BTTransferScreen::setLabel(QString &label, const QString &text)
{
    label = text;
    Q_EMIT changed();
}

void BTTransferScreen::setFileLabel(const QString &text)
{
    setLabel(_labelFile, text);
}

void BTTransferScreen::setFTStatus(const QString &text)
{
    setLabel(_labelMSG1, text);
}

void BTTransferScreen::setFTRate(const QString &text)
{
    setLabel(_labelMSG2, text);
}

void BTTransferScreen::setFTTime(const QString &text)
{
    setLabel(_labelMSG3, text);
}

void BTTransferScreen::setFTProgress(int current, int total)
{
    _progress = total != 0 ? float(current) / float(total) : 0.0f;
    setLabel(_labelMSG4, total != 0 ? QStringLiteral("%1/%2").arg(current).arg(total) : QStringLiteral(" "));
}

void BTTransferScreen::viewWillDisappear()
{
    m_leaving = true;
    invalidateSession();
    _btFT->cleanup();
    _btFT->done();
}

void BTTransferScreen::invalidateSession()
{
    if (!_conSession)
        return;
    PeerSession *session = _conSession;
    _conSession = nullptr;
    QObject::disconnect(session, nullptr, this, nullptr);
    session->disconnectFromAllPeers();
    session->setAvailable(false);
    // The session may be in the middle of reporting to us.
    session->deleteLater();
}

void BTTransferScreen::showErrorExitAlert(const QString &message)
{
    UiHost *host = UiHost::current();
    if (!host)
        return;
    host->showAlert(L("KError"), message);
    leave();
}

void BTTransferScreen::leave()
{
    UiHost *host = UiHost::current();
    if (host && !m_leaving)
        host->pop();
}
