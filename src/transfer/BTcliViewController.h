#pragma once

#include "BTTransferScreen.h"
#include "PeerDirectory.h"
#include "shell/ScreenInterfaces.h"

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
    // The picker's questions: the peers found, "Connect to address…" and Cancel, then the
    // typed address if asked for. The chosen peer's address; none when the user cancelled.
    static std::optional<QString> pickAddress(const QList<PeerDirectory::Entry> &found);

protected:
    void peerConnected() override;
    void connectionWithPeerFailed(const QString &peerId, const QString &message) override;

private:
    bool m_pickerShown = false;
    PeerDirectory *m_directory = nullptr;
};
