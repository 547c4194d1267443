#pragma once

#include <QList>
#include <QString>

#include <functional>

// The machine's IPv4 addresses as the transfer screens show them. The "Wi-Fi" address is that
// of the first interface that is up, not loopback, and wireless or wired; the "cellular" one
// that of a PPP or WWAN interface. Every routine answers an empty text when there is none.
namespace DeviceAddresses {
enum class Kind { Loopback, Wireless, Wired, Cellular, Other };

struct Interface {
    QString name;
    QString address; // dotted IPv4, empty when the interface has none
    QString netmask;
    int flags = 0;   // QNetworkInterface::InterfaceFlags
    bool up = false;
    Kind kind = Kind::Other;
};

// The system's interfaces, each name once, in the order the system reports them.
QList<Interface> systemInterfaces();
// Replaces the system's interfaces (tests); an empty function restores them.
void setInterfaceSource(std::function<QList<Interface>()> source);

// The address of the first interface that is up, not loopback, and wireless, wired or
// cellular. With VENNARO_DEBUG set, prints each interface examined to standard output as
// "name address netmask flags".
QString activeAddress();
// The address of the interface with exactly this name.
QString addressOfInterface(const QString &name);
QString wifiAddress();
QString cellularAddress();
}
