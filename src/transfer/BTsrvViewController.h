#pragma once

#include "BTTransferScreen.h"

#include <QHostAddress>
#include <QPointer>

class DnsSdPublisher;
class PeerTransport;

// The receiving screen (screen 16, "BT server"): takes requests from senders on the local
// network (port from the settings, all addresses; published as "_vennaro._tcp" when the user
// allows announcing) and over Bluetooth where there is an adapter, asks the user to accept each one, and
// receives one file per connection into the documents folder, staying available afterwards.
class BTsrvViewController : public BTTransferScreen {
    Q_OBJECT
public:
    explicit BTsrvViewController(QObject *parent = nullptr);

    QString title() const override;
    void viewDidAppear() override;
    void viewWillDisappear() override;
    // Announces the screen on the local network (only where the user allows it).
    DnsSdPublisher *publisher() const { return m_publisher; }

    // Where to listen instead of the settings' port on all addresses; before the screen shows.
    void setListenAddress(const QHostAddress &address, quint16 port);
    // Starts taking requests (once); a failure shows the error alert that leaves the screen.
    void startSession();
    // The port listened on, 0 before the session started.
    quint16 serverPort() const;
    QHostAddress serverAddress() const;

Q_SIGNALS:
    void fileReceived(const QString &path);

protected:
    void connectionWithPeerFailed(const QString &peerId, const QString &message) override;

private:
    void connectionRequested(const QString &peerId);

    QHostAddress m_listenAddress;
    quint16 m_listenPort;
    QPointer<PeerTransport> m_transport;
    DnsSdPublisher *m_publisher;
};
