#include "DeviceAddresses.h"

#include <QNetworkInterface>

#include <cstdio>

namespace {
std::function<QList<DeviceAddresses::Interface>()> g_source;

DeviceAddresses::Kind kindOf(const QNetworkInterface &system)
{
    using Kind = DeviceAddresses::Kind;
    const QString name = system.name();
    if (system.flags().testFlag(QNetworkInterface::IsLoopBack))
        return Kind::Loopback;
    if (system.type() == QNetworkInterface::Ppp || name.startsWith(QLatin1String("wwan"))
        || name.startsWith(QLatin1String("ppp")))
        return Kind::Cellular;
    if (system.type() == QNetworkInterface::Wifi || name.startsWith(QLatin1String("wl")))
        return Kind::Wireless;
    if (system.type() == QNetworkInterface::Ethernet)
        return Kind::Wired;
    return Kind::Other;
}

QList<DeviceAddresses::Interface> interfaces()
{
    return g_source ? g_source() : DeviceAddresses::systemInterfaces();
}

bool carriesFiles(const DeviceAddresses::Interface &entry)
{
    using Kind = DeviceAddresses::Kind;
    return entry.up && (entry.kind == Kind::Wireless || entry.kind == Kind::Wired || entry.kind == Kind::Cellular);
}

QString firstAddress(bool (*accepts)(const DeviceAddresses::Interface &))
{
    for (const DeviceAddresses::Interface &entry : interfaces()) {
        if (accepts(entry) && !entry.address.isEmpty())
            return DeviceAddresses::addressOfInterface(entry.name);
    }
    return QString();
}
}

QList<DeviceAddresses::Interface> DeviceAddresses::systemInterfaces()
{
    QList<Interface> list;
    for (const QNetworkInterface &system : QNetworkInterface::allInterfaces()) {
        Interface entry{system.name(), QString(), QString(), int(system.flags()),
                        system.flags().testFlag(QNetworkInterface::IsUp) && system.flags().testFlag(QNetworkInterface::IsRunning),
                        kindOf(system)};
        for (const QNetworkAddressEntry &address : system.addressEntries()) {
            if (address.ip().protocol() == QAbstractSocket::IPv4Protocol) {
                entry.address = address.ip().toString();
                entry.netmask = address.netmask().toString();
                break;
            }
        }
        list.append(entry);
    }
    return list;
}

void DeviceAddresses::setInterfaceSource(std::function<QList<Interface>()> source)
{
    g_source = std::move(source);
}

QString DeviceAddresses::activeAddress()
{
    const bool debug = qEnvironmentVariableIsSet("VENNARO_DEBUG");
    for (const Interface &entry : interfaces()) {
        if (entry.kind == Kind::Loopback)
            continue;
        if (debug) {
            std::printf("%s %s %s %d\n", entry.name.toLocal8Bit().constData(), entry.address.toLatin1().constData(),
                        entry.netmask.toLatin1().constData(), entry.flags);
            std::fflush(stdout);
        }
        if (carriesFiles(entry) && !entry.address.isEmpty())
            return entry.address;
    }
    return QString();
}

QString DeviceAddresses::addressOfInterface(const QString &name)
{
    for (const Interface &entry : interfaces()) {
        if (entry.name == name && !entry.address.isEmpty())
            return entry.address;
    }
    return QString();
}

QString DeviceAddresses::wifiAddress()
{
    return firstAddress([](const Interface &entry) {
        return entry.up && (entry.kind == Kind::Wireless || entry.kind == Kind::Wired);
    });
}

QString DeviceAddresses::cellularAddress()
{
    return firstAddress([](const Interface &entry) { return entry.up && entry.kind == Kind::Cellular; });
}
