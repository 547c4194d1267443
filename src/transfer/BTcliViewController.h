#pragma once

#include "BTTransferScreen.h"
#include "shell/ScreenInterfaces.h"

// The sending screen (screen 14, "BT client"): the user picks the peer (a typed
// "host[:port]"), and once the peer accepted, the one file handed over by the file list is
// sent. Cancelling the picker leaves the screen.
class BTcliViewController : public BTTransferScreen, public FileSenderInterface {
    Q_OBJECT
public:
    explicit BTcliViewController(QObject *parent = nullptr);

    QString title() const override;
    void viewDidAppear() override;

    // The file to send, a name in the documents folder (or a path).
    void setFile(const QString &name) override;

    // The peer picker: asks for the peer's address and connects to it; cancelled, it leaves
    // the screen.
    void showPicker();

protected:
    void peerConnected() override;
    void connectionWithPeerFailed(const QString &peerId, const QString &message) override;

private:
    bool m_pickerShown = false;
};
