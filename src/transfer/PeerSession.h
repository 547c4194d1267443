#pragma once

#include "platform/Result.h"

#include <QByteArray>
#include <QObject>
#include <QString>

// A session between this program and one peer under the session identifier "gkvennaro": the
// receiving side makes itself available and accepts or denies each request; the sending side
// connects to a peer; both then exchange whole messages, reliably and in order, and see the
// peer's state change. All reports arrive on the thread that owns the session.
class PeerSession : public QObject {
    Q_OBJECT
public:
    // The state numbers the screens show.
    enum PeerState {
        PeerStateAvailable = 0,
        PeerStateUnavailable = 1,
        PeerStateConnected = 2,
        PeerStateDisconnected = 3,
        PeerStateConnecting = 4,
    };

    using QObject::QObject;

    // Receiving side: starts or stops taking requests. An Error when it cannot listen.
    virtual Result<void> setAvailable(bool available) = 0;
    // Sending side: asks a peer for a session; the answer comes as a state report (connected)
    // or connectionWithPeerFailed.
    virtual void connectToPeer(const QString &address) = 0;
    virtual void acceptConnectionFromPeer(const QString &peerId) = 0;
    virtual void denyConnectionFromPeer(const QString &peerId) = 0;
    // One message to a connected peer; false when that peer is not connected.
    virtual bool sendData(const QByteArray &message, const QString &peerId) = 0;
    virtual void disconnectFromAllPeers() = 0;
    virtual QString displayNameForPeer(const QString &peerId) const = 0;

Q_SIGNALS:
    void peerChangedState(const QString &peerId, int state);
    // A peer asks for a session (receiving side); answer with accept or deny.
    void connectionRequested(const QString &peerId);
    void dataReceived(const QByteArray &message, const QString &peerId);
    // The session itself cannot go on.
    void sessionFailed(const QString &message);
    void connectionWithPeerFailed(const QString &peerId, const QString &message);
};
