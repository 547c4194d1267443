#include "BTcliViewController.h"

#include "PeerTransport.h"
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

void BTcliViewController::viewWillDisappear()
{
    // A picker still waiting for the directory's first answers does not come up any more.
    if (m_directory)
        m_directory->disconnect(this);
    BTTransferScreen::viewWillDisappear();
}

void BTcliViewController::showPicker()
{
    if (!m_directory) {
        m_directory = new PeerDirectory(this);
        if (m_directory->start()) {
            connect(m_directory, &PeerDirectory::settled, this, &BTcliViewController::showPicker);
            return;
        }
    }
    const std::optional<QString> address = pickAddress(m_directory->entries());
    if (!address || address->trimmed().isEmpty()) {
        leave();
        return;
    }
    auto *session = new PeerTransport(DeviceFacts::deviceName());
    setSession(session);
    _peerId = address->trimmed();
    session->connectToPeer(_peerId);
}

std::optional<QString> BTcliViewController::pickAddress(const QList<PeerDirectory::Entry> &found)
{
    UiHost *host = UiHost::current();
    if (!host)
        return std::nullopt;
    if (!found.isEmpty()) {
        QStringList rows;
        for (const PeerDirectory::Entry &entry : found)
            rows.append(entry.label);
        rows << L("KPeerConnectToAddress") << L("KCancel");
        const int chosen = host->ask(L("KbtClient"), L("KPeerChoose"), rows, int(rows.size()) - 1);
        if (chosen < 0 || chosen >= rows.size() - 1)
            return std::nullopt;
        if (chosen < found.size())
            return found.at(chosen).address;
    }
    return host->askTextEntry(L("KbtClient"), L("KPeerConnectToAddress"),
                              {L("KPeerAddressPlaceholder"), L("KCancel"), L("KPeerConnect")});
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
