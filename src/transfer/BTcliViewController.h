#pragma once

#include "BTTransferScreen.h"
#include "shell/ScreenInterfaces.h"

class PeerDirectory;

// The sending screen (screen 14, "BT client"): the user picks the peer (one that the directory
// found, or a typed "host[:port]"), and once the peer accepted, the one file handed over by the file list is
// sent. Cancelling the picker leaves the screen.
class BTcliViewController : public BTTransferScreen, public FileSenderInterface {
    Q_OBJECT
public:
    explicit BTcliViewController(QObject *parent = nullptr);

    QString title() const override;
    void viewDidAppear() override;
    void viewWillDisappear() override;

    // The file to send, a name in the documents folder (or a path).
    void setFile(const QString &name) override;

    // The peer picker: the peers found nearby (after waiting for the directory's first
    // answers) and "Connect to address…"; connects to the chosen one. Cancelled, it leaves the
    // screen.
    void showPicker();

protected:
    void peerConnected() override;
    void connectionWithPeerFailed(const QString &peerId, const QString &message) override;

private:
    // The chosen peer's address; none when the user cancelled.
    std::optional<QString> pickAddress();

    bool m_pickerShown = false;
    PeerDirectory *m_directory = nullptr;
};
