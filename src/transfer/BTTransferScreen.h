#pragma once

#include "BTfileTransfer.h"
#include "BTfileTransferDelegate.h"
#include "PeerSession.h"
#include "shell/ScreenController.h"

#include <QPointer>
#include <QString>

#include <memory>

// What the two peer transfer screens share: the session with one peer, the transfer object
// that the session's messages go to, and the lines that show both (file, status, speed, time,
// blocks, progress bar, the peer's state). Leaving the screen ends the session, so the peer
// sees the transfer interrupted.
class BTTransferScreen : public ScreenController, public BTfileTransferDelegate {
    Q_OBJECT
public:
    BTTransferScreen(int screenNumber, bool isServer, QObject *parent = nullptr);
    ~BTTransferScreen() override;

    QString labelFile() const { return _labelFile; }
    QString labelMSG1() const { return _labelMSG1; }
    QString labelMSG2() const { return _labelMSG2; }
    QString labelMSG3() const { return _labelMSG3; }
    QString labelMSG4() const { return _labelMSG4; }
    float progress() const { return _progress; }
    QString labelStatus() const { return _labelStatus; }
    // Whether a peer is connected (the "connected" background).
    bool isConnected() const { return m_connected; }
    BTfileTransfer *transfer() const { return _btFT.get(); }
    PeerSession *conSession() const { return _conSession; }
    const QString &peerId() const { return _peerId; }

    // The text of a peer state report (0 available … 4 connecting); empty for other values.
    static QString peerStateText(int state, const QString &displayName);

    void sendData(const QByteArray &packet) override;
    void disconnect() override;
    void setFileLabel(const QString &text) override;
    void setFTStatus(const QString &text) override;
    void setFTRate(const QString &text) override;
    void setFTTime(const QString &text) override;
    void setFTProgress(int current, int total) override;

    void viewWillDisappear() override;

    // Disconnects every peer, stops taking requests and forgets the session.
    void invalidateSession();
    // The "Error" alert; its "OK" leaves the screen.
    void showErrorExitAlert(const QString &message);

Q_SIGNALS:
    // A connected peer went away (or the session with it ended).
    void sessionEnded();

protected:
    // Takes the session and routes its reports here and its messages to the transfer.
    void setSession(PeerSession *session);
    virtual void peerConnected() {}
    virtual void connectionWithPeerFailed(const QString &peerId, const QString &message) = 0;
    void setLabel(QString &label, const QString &text);
    // Leaves the screen when it is on top.
    void leave();

    std::unique_ptr<BTfileTransfer> _btFT;
    QString _peerId;
    QString _labelMSG1;

private:
    void peerChangedState(const QString &peerId, int state);

    QPointer<PeerSession> _conSession;
    QString _labelFile;
    QString _labelMSG2;
    QString _labelMSG3;
    QString _labelMSG4;
    float _progress = 0;
    QString _labelStatus;
    bool m_connected = false;
    bool m_leaving = false;
};
