// The device's addresses from its interfaces, and the UPnP announcement caught on a loopback
// UDP socket.

#include "support/TestEnvironment.h"

#include "platform/DeviceFacts.h"
#include "shell/AppData.h"
#include "transfer/Announcer.h"
#include "transfer/DeviceAddresses.h"

#include <QNetworkDatagram>
#include <QUdpSocket>
#include <QtTest>

using namespace Qt::StringLiterals;
using Kind = DeviceAddresses::Kind;
using Interfaces = QList<DeviceAddresses::Interface>;
Q_DECLARE_METATYPE(DeviceAddresses::Interface)

namespace {
DeviceAddresses::Interface interface(const QString &name, const QString &address, Kind kind, bool up = true)
{
    return {name, address, address.isEmpty() ? QString() : u"255.255.255.0"_s, 0, up, kind};
}

const DeviceAddresses::Interface kLoopback = interface(u"lo"_s, u"127.0.0.1"_s, Kind::Loopback);
}

class AnnouncerTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { DeviceAddresses::setInterfaceSource({}); }

    void addresses_data();
    void addresses();
    void announcementByteForByte();
    void nothingIsSentWhenOff_data();
    void nothingIsSentWhenOff();
    void repeatsUntilStopped();
};

void AnnouncerTest::addresses_data()
{
    QTest::addColumn<Interfaces>("interfaces");
    QTest::addColumn<QString>("active");
    QTest::addColumn<QString>("wifi");
    QTest::addColumn<QString>("cellular");
    QTest::newRow("loopback only") << Interfaces{kLoopback} << QString() << QString() << QString();
    QTest::newRow("wired and cellular")
        << Interfaces{kLoopback, interface(u"eth0"_s, u"192.168.1.20"_s, Kind::Wired),
                      interface(u"ppp0"_s, u"10.64.1.2"_s, Kind::Cellular)}
        << u"192.168.1.20"_s << u"192.168.1.20"_s << u"10.64.1.2"_s;
    QTest::newRow("cellular first in the system's order")
        << Interfaces{interface(u"wwan0"_s, u"10.64.1.2"_s, Kind::Cellular), interface(u"wlan0"_s, u"192.168.1.30"_s, Kind::Wireless)}
        << u"10.64.1.2"_s << u"192.168.1.30"_s << u"10.64.1.2"_s;
    QTest::newRow("only cellular") << Interfaces{kLoopback, interface(u"ppp0"_s, u"10.64.1.2"_s, Kind::Cellular)}
                                   << u"10.64.1.2"_s << QString() << u"10.64.1.2"_s;
    QTest::newRow("down, addressless and virtual interfaces are passed over")
        << Interfaces{interface(u"eth0"_s, u"192.168.1.20"_s, Kind::Wired, false), interface(u"wlan0"_s, QString(), Kind::Wireless),
                      interface(u"docker0"_s, u"172.17.0.1"_s, Kind::Other), interface(u"eth1"_s, u"192.168.2.5"_s, Kind::Wired)}
        << u"192.168.2.5"_s << u"192.168.2.5"_s << QString();
}

void AnnouncerTest::addresses()
{
    QFETCH(Interfaces, interfaces);
    QFETCH(QString, active);
    QFETCH(QString, wifi);
    QFETCH(QString, cellular);
    DeviceAddresses::setInterfaceSource([interfaces] { return interfaces; });
    QCOMPARE(DeviceAddresses::activeAddress(), active);
    QCOMPARE(DeviceAddresses::wifiAddress(), wifi);
    QCOMPARE(DeviceAddresses::cellularAddress(), cellular);
    QCOMPARE(DeviceAddresses::addressOfInterface(u"eth1"_s), interfaces.size() == 4 ? u"192.168.2.5"_s : QString());
}

void AnnouncerTest::announcementByteForByte()
{
    TestEnvironment env;
    AppData::sharedInstance().setAnnounceOnNetwork(1);
    DeviceAddresses::setInterfaceSource([] { return Interfaces{kLoopback, interface(u"eth0"_s, u"192.168.1.20"_s, Kind::Wired)}; });
    QUdpSocket receiver;
    QVERIFY(receiver.bind(QHostAddress::LocalHost, 0));
    Announcer announcer;
    announcer.setTarget(QHostAddress::LocalHost, receiver.localPort());
    QVERIFY(announcer.start(1025));
    const QByteArray expected = "NOTIFY * HTTP/1.1\r\nHOST: 239.255.255.250:1900\r\nCACHE-CONTROL: max-age=900\r\n"
                                "SERVER: Brosk, UPnP/1.0, web server\r\nLOCATION: http://192.168.1.20:1025/upnp.xml\r\n"
                                "NT: upnp:rootdevice\r\nNTS: ssdp:alive\r\nUSN: uuid:"
                                + DeviceFacts::uniqueIdentifier().toUtf8() + "::upnp:rootdevice\r\nContent-Length: 0\r\n\r\n";
    QList<QByteArray> received;
    QTRY_VERIFY_WITH_TIMEOUT((
        [&] {
            while (receiver.hasPendingDatagrams())
                received.append(receiver.receiveDatagram().data());
            return received.size() >= 4;
        }()), 5000);
    QCOMPARE(received, QList<QByteArray>(4, expected));
    QVERIFY(announcer.isRunning());
    announcer.stop();
    QVERIFY(!announcer.isRunning());
}

void AnnouncerTest::nothingIsSentWhenOff_data()
{
    QTest::addColumn<bool>("settingOn");
    QTest::addColumn<bool>("wifi");
    QTest::newRow("setting off") << false << true;
    QTest::newRow("only cellular") << true << false;
}

void AnnouncerTest::nothingIsSentWhenOff()
{
    QFETCH(bool, settingOn);
    QFETCH(bool, wifi);
    TestEnvironment env;
    AppData::sharedInstance().setAnnounceOnNetwork(settingOn);
    DeviceAddresses::setInterfaceSource([wifi] {
        return Interfaces{wifi ? interface(u"eth0"_s, u"192.168.1.20"_s, Kind::Wired) : interface(u"ppp0"_s, u"10.0.0.2"_s, Kind::Cellular)};
    });
    QUdpSocket receiver;
    QVERIFY(receiver.bind(QHostAddress::LocalHost, 0));
    Announcer announcer;
    announcer.setTarget(QHostAddress::LocalHost, receiver.localPort());
    QVERIFY(!announcer.start(8080));
    QVERIFY(!announcer.isRunning());
    QTest::qWait(200);
    QVERIFY(!receiver.hasPendingDatagrams());
}

void AnnouncerTest::repeatsUntilStopped()
{
    TestEnvironment env;
    AppData::sharedInstance().setAnnounceOnNetwork(1);
    DeviceAddresses::setInterfaceSource([] { return Interfaces{interface(u"eth0"_s, u"192.168.1.20"_s, Kind::Wired)}; });
    QUdpSocket receiver;
    QVERIFY(receiver.bind(QHostAddress::LocalHost, 0));
    Announcer announcer;
    announcer.setTarget(QHostAddress::LocalHost, receiver.localPort());
    announcer.setInterval(50);
    int rounds = 0;
    connect(&announcer, &Announcer::announced, this, [&] { ++rounds; });
    QVERIFY(announcer.start(8080));
    QTRY_VERIFY(rounds >= 3);
    announcer.stop();
    const int stoppedAt = rounds;
    QTest::qWait(200);
    QCOMPARE(rounds, stoppedAt);
}

QTEST_MAIN(AnnouncerTest)
#include "Announcer_test.moc"
