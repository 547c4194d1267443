#include "Rfcomm.h"

#include "PeerLink.h"

#include <QBluetoothLocalDevice>
#include <QBluetoothServer>
#include <QBluetoothServiceDiscoveryAgent>
#include <QBluetoothServiceInfo>
#include <QBluetoothSocket>
#include <QBluetoothUuid>
#include <QDir>
#include <QRegularExpression>

namespace Rfcomm {

const char kServiceUuid[] = "7d146a12-43cf-4928-9cb1-a40920ec6216";
const char kServiceName[] = "Vennaro";

namespace {
const QLatin1String kPrefix("bt:");

QBluetoothUuid serviceUuid()
{
    return QBluetoothUuid(QLatin1String(kServiceUuid));
}
}

bool adapterPresent()
{
    // The kernel lists its adapters here; without one, Qt is not even asked (it would go
    // looking for the Bluetooth daemon and warn on the terminal).
    const QDir adapters(QStringLiteral("/sys/class/bluetooth"));
    if (!adapters.exists() || adapters.isEmpty())
        return false;
    return !QBluetoothLocalDevice::allDevices().isEmpty();
}

QString peerAddress(const QBluetoothAddress &device)
{
    return kPrefix + device.toString();
}

std::optional<QBluetoothAddress> deviceAddress(const QString &peerAddress)
{
    if (!peerAddress.startsWith(kPrefix, Qt::CaseInsensitive))
        return std::nullopt;
    const QString text = peerAddress.mid(kPrefix.size()).trimmed();
    // QBluetoothAddress takes anything and makes it null; only the six hex pairs count.
    static const QRegularExpression form(QStringLiteral("^([0-9A-Fa-f]{2}:){5}[0-9A-Fa-f]{2}$"));
    if (!form.match(text).hasMatch())
        return std::nullopt;
    return QBluetoothAddress(text);
}

PeerLink *connectTo(const QBluetoothAddress &device)
{
    auto *socket = new QBluetoothSocket(QBluetoothServiceInfo::RfcommProtocol);
    auto *link = new SocketLink<QBluetoothSocket>(socket);
    QMetaObject::invokeMethod(
        socket, [socket, device] { socket->connectToService(device, serviceUuid()); }, Qt::QueuedConnection);
    return link;
}

} // namespace Rfcomm

Result<void> RfcommListener::listen()
{
    m_server = new QBluetoothServer(QBluetoothServiceInfo::RfcommProtocol, this);
    const QBluetoothServiceInfo service = m_server->listen(Rfcomm::serviceUuid(), QLatin1String(Rfcomm::kServiceName));
    if (!service.isValid())
        return Error{QStringLiteral("RFCOMM error %1").arg(int(m_server->error()))};
    connect(m_server, &QBluetoothServer::newConnection, this, [this] {
        while (m_server->hasPendingConnections())
            Q_EMIT newLink(new SocketLink<QBluetoothSocket>(m_server->nextPendingConnection()));
    });
    return {};
}

bool RfcommFinder::start()
{
    if (!Rfcomm::adapterPresent())
        return false;
    m_agent = new QBluetoothServiceDiscoveryAgent(this);
    m_agent->setUuidFilter(Rfcomm::serviceUuid());
    connect(m_agent, &QBluetoothServiceDiscoveryAgent::serviceDiscovered, this, [this](const QBluetoothServiceInfo &info) {
        const QString address = Rfcomm::peerAddress(info.device().address());
        for (const Device &known : std::as_const(m_devices)) {
            if (known.address == address)
                return;
        }
        m_devices.append({info.device().name(), address});
        Q_EMIT devicesChanged();
    });
    connect(m_agent, &QBluetoothServiceDiscoveryAgent::finished, this, &RfcommFinder::finished);
    connect(m_agent, &QBluetoothServiceDiscoveryAgent::errorOccurred, this, &RfcommFinder::finished);
    m_agent->start(QBluetoothServiceDiscoveryAgent::FullDiscovery);
    return true;
}
