#include "BTcliViewController.h"

#include "TcpPeerTransport.h"
#include "platform/DeviceFacts.h"
#include "platform/Localization.h"
#include "shell/UiHost.h"

#include <QTimer>

BTcliViewController::BTcliViewController(QObject *parent) : BTTransferScreen(BTcliScreen, false, parent) {}

QString BTcliViewController::title() const
{
    return L("KbtClient");
}

void BTcliViewController::setFile(const QString &name)
{
    _btFT->setFile(name);
}

void BTcliViewController::viewDidAppear()
{
    BTTransferScreen::viewDidAppear();
    if (m_pickerShown)
        return;
    m_pickerShown = true;
    // After the push has ended: the picker is modal.
    QTimer::singleShot(0, this, &BTcliViewController::showPicker);
}

void BTcliViewController::showPicker()
{
    UiHost *host = UiHost::current();
    if (!host)
        return;
    const std::optional<QString> address = host->askTextEntry(
        L("KbtClient"), L("KPeerConnectToAddress"), {L("KPeerAddressPlaceholder"), L("KCancel"), L("KPeerConnect")});
    if (!address || address->trimmed().isEmpty()) {
        leave();
        return;
    }
    auto *session = new TcpPeerTransport(DeviceFacts::deviceName());
    setSession(session);
    _peerId = address->trimmed();
    session->connectToPeer(_peerId);
}

void BTcliViewController::peerConnected()
{
    _btFT->sendFileHeader();
}

void BTcliViewController::connectionWithPeerFailed(const QString &peerId, const QString &message)
{
    if (peerId != _peerId)
        return;
    // As a picker would: say why, and let the user choose again (or cancel and leave).
    showError(message);
    QTimer::singleShot(0, this, &BTcliViewController::showPicker);
}
