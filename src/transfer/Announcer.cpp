#include "Announcer.h"

#include "DeviceAddresses.h"
#include "platform/DevLog.h"
#include "platform/DeviceFacts.h"
#include "shell/AppData.h"

#include <QUdpSocket>
#include <QVariant>

namespace {
constexpr int kDatagramsPerRound = 4;
constexpr int kMulticastTtl = 4;
}

Announcer::Announcer(QObject *parent)
    : QObject(parent), m_targetAddress(QStringLiteral("239.255.255.250")), m_targetPort(1900)
{
    m_timer.setInterval(30000);
    connect(&m_timer, &QTimer::timeout, this, &Announcer::announceOnce);
}

QByteArray Announcer::notifyText(const QString &address, int port, const QString &uuid)
{
    return QStringLiteral("NOTIFY * HTTP/1.1\r\nHOST: 239.255.255.250:1900\r\nCACHE-CONTROL: max-age=900\r\n"
                          "SERVER: Brosk, UPnP/1.0, web server\r\nLOCATION: http://%1:%2/upnp.xml\r\n"
                          "NT: upnp:rootdevice\r\nNTS: ssdp:alive\r\nUSN: uuid:%3::upnp:rootdevice\r\n"
                          "Content-Length: 0\r\n\r\n")
        .arg(address)
        .arg(port)
        .arg(uuid)
        .toUtf8();
}

void Announcer::setTarget(const QHostAddress &address, quint16 port)
{
    m_targetAddress = address;
    m_targetPort = port;
}

bool Announcer::start(int port)
{
    stop();
    m_dnsSd.publish(QStringLiteral("Vennaro"), "_http._tcp", quint16(port));
    if (!AppData::sharedInstance().announceOnNetwork() || DeviceAddresses::wifiAddress().isEmpty())
        return false;
    m_port = port;
    m_timer.start();
    announceOnce();
    return true;
}

void Announcer::stop()
{
    m_timer.stop();
    m_dnsSd.stop();
}

void Announcer::announceOnce()
{
    const QString address = DeviceAddresses::wifiAddress();
    if (address.isEmpty())
        return;
    QUdpSocket socket;
    if (!socket.bind(QHostAddress(QHostAddress::AnyIPv4), 0, QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint)) {
        DevLog::log(QStringLiteral("socket: %1").arg(socket.errorString()));
        return;
    }
    socket.setSocketOption(QAbstractSocket::MulticastTtlOption, kMulticastTtl);
    const QByteArray text = notifyText(address, m_port, DeviceFacts::uniqueIdentifier());
    for (int i = 0; i < kDatagramsPerRound; ++i) {
        if (socket.writeDatagram(text, m_targetAddress, m_targetPort) != text.size()) {
            DevLog::log(QStringLiteral("sendto: %1").arg(socket.errorString()));
            return;
        }
    }
    Q_EMIT announced();
}
