#pragma once

#include "platform/Result.h"

#include <QBluetoothAddress>
#include <QList>
#include <QObject>
#include <QString>

#include <optional>

class PeerLink;
class QBluetoothServer;
class QBluetoothServiceDiscoveryAgent;

// The peer transfer over Bluetooth: an RFCOMM service under a fixed UUID that carries the same
// framed session as TCP. Offered only where the machine has a Bluetooth adapter.
namespace Rfcomm {

// The service's UUID and the name it is registered under.
extern const char kServiceUuid[];
extern const char kServiceName[];

bool adapterPresent();

// A Bluetooth device as a peer address: "bt:" and the device address ("bt:00:1A:7D:DA:71:13").
QString peerAddress(const QBluetoothAddress &device);
// The device in such a peer address; none for any other address.
std::optional<QBluetoothAddress> deviceAddress(const QString &peerAddress);

// A link that connects to the service on `device` (on the next turn of the event loop, so
// that its reports can be listened to first).
PeerLink *connectTo(const QBluetoothAddress &device);

} // namespace Rfcomm

// Takes RFCOMM connections to the service and hands each over as a link.
class RfcommListener : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    Result<void> listen();

Q_SIGNALS:
    void newLink(PeerLink *link);

private:
    QBluetoothServer *m_server = nullptr;
};

// Looks for devices nearby that offer the service.
class RfcommFinder : public QObject {
    Q_OBJECT
public:
    struct Device {
        QString name;
        QString address; // a peer address ("bt:…")
    };

    using QObject::QObject;

    // Starts looking when there is an adapter; false otherwise.
    bool start();
    const QList<Device> &devices() const { return m_devices; }

Q_SIGNALS:
    void devicesChanged();
    void finished();

private:
    QBluetoothServiceDiscoveryAgent *m_agent = nullptr;
    QList<Device> m_devices;
};
