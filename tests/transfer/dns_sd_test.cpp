// DNS-SD and the peer directory without touching the network: the Avahi poll adapter on the
// Qt event loop (a pipe and timers), the setting that keeps everything off, the quiet skip
// when no daemon answers (the tests have no system bus), and the rows the picker shows.

#include "platform/DevLog.h"
#include "shell/AppData.h"
#include "transfer/Announcer.h"
#include "transfer/AvahiQtPoll.h"
#include "transfer/DnsSd.h"
#include "transfer/PeerDirectory.h"
#include "transfer/Rfcomm.h"

#include <avahi-common/address.h>

#include <QtTest>

#include <unistd.h>

#include "TestEnvironment.h"

namespace {
timeval at(long seconds, long micro)
{
    return timeval{seconds, micro};
}

timeval fromNow(int milliseconds)
{
    timeval tv{};
    gettimeofday(&tv, nullptr);
    tv.tv_usec += milliseconds * 1000;
    tv.tv_sec += tv.tv_usec / 1000000;
    tv.tv_usec %= 1000000;
    return tv;
}

struct Calls {
    QList<int> events;
    int timeouts = 0;
    bool freeOnCall = false;
    const AvahiPoll *api = nullptr;
};
}

Q_DECLARE_METATYPE(timeval)

class DnsSdTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { DevLog::setConsoleEnabled(false); }
    void millisecondsUntil_data();
    void millisecondsUntil();
    void watchReportsReadableDescriptor();
    void timeoutsFireOnceAndCanBeMoved();
    void nothingWithoutSettingOrDaemon_data();
    void nothingWithoutSettingOrDaemon();
    void resolvedServices_data();
    void resolvedServices();
    void pickerRows();
    void bluetoothAddresses_data();
    void bluetoothAddresses();
};

void DnsSdTest::millisecondsUntil_data()
{
    QTest::addColumn<timeval>("when");
    QTest::addColumn<timeval>("now");
    QTest::addColumn<int>("milliseconds");
    QTest::newRow("passed") << at(100, 0) << at(101, 0) << 0;
    QTest::newRow("now") << at(100, 500) << at(100, 500) << 0;
    QTest::newRow("one microsecond rounds up") << at(100, 1) << at(100, 0) << 1;
    QTest::newRow("across a second") << at(101, 1000) << at(100, 999000) << 2;
    QTest::newRow("a second and a half") << at(102, 500000) << at(101, 0) << 1500;
    QTest::newRow("far away is capped") << at(4000000, 0) << at(0, 0) << INT_MAX;
}

void DnsSdTest::millisecondsUntil()
{
    QFETCH(timeval, when);
    QFETCH(timeval, now);
    QFETCH(int, milliseconds);
    QCOMPARE(AvahiQtPoll::millisecondsUntil(when, now), milliseconds);
}

void DnsSdTest::watchReportsReadableDescriptor()
{
    AvahiQtPoll poll;
    const AvahiPoll *api = poll.api();
    int fds[2];
    QCOMPARE(pipe(fds), 0);
    Calls calls;
    calls.api = api;
    auto callback = [](AvahiWatch *watch, int, AvahiWatchEvent event, void *data) {
        auto *calls = static_cast<Calls *>(data);
        calls->events.append(event);
        QCOMPARE(calls->api->watch_get_events(watch), event);
        // Stop asking: the byte stays unread, so a watch still asking would fire again.
        calls->api->watch_update(watch, AvahiWatchEvent(0));
    };
    AvahiWatch *watch = api->watch_new(api, fds[0], AVAHI_WATCH_IN, callback, &calls);
    QTest::qWait(20);
    QVERIFY(calls.events.isEmpty());
    QCOMPARE(write(fds[1], "x", 1), 1);
    QTRY_COMPARE(calls.events, QList<int>{AVAHI_WATCH_IN});
    QTest::qWait(20);
    QCOMPARE(calls.events.size(), 1);

    // Freed from within its own callback, as the library does.
    auto freeing = [](AvahiWatch *watch, int, AvahiWatchEvent event, void *data) {
        auto *calls = static_cast<Calls *>(data);
        calls->events.append(event);
        calls->api->watch_free(watch);
    };
    api->watch_free(watch);
    api->watch_new(api, fds[0], AVAHI_WATCH_IN, freeing, &calls);
    QTRY_COMPARE(calls.events.size(), 2);
    QTest::qWait(20);
    QCOMPARE(calls.events.size(), 2);
    close(fds[0]);
    close(fds[1]);
}

void DnsSdTest::timeoutsFireOnceAndCanBeMoved()
{
    AvahiQtPoll poll;
    const AvahiPoll *api = poll.api();
    Calls calls;
    calls.api = api;
    auto callback = [](AvahiTimeout *timeout, void *data) {
        auto *calls = static_cast<Calls *>(data);
        ++calls->timeouts;
        if (calls->freeOnCall)
            calls->api->timeout_free(timeout);
    };
    const timeval soon = fromNow(10);
    AvahiTimeout *timeout = api->timeout_new(api, &soon, callback, &calls);
    AvahiTimeout *never = api->timeout_new(api, nullptr, callback, &calls);
    QTRY_COMPARE(calls.timeouts, 1);
    QTest::qWait(50);
    QCOMPARE(calls.timeouts, 1);

    // Moved again, then disabled before it is due.
    const timeval again = fromNow(10);
    api->timeout_update(timeout, &again);
    QTRY_COMPARE(calls.timeouts, 2);
    const timeval later = fromNow(30);
    api->timeout_update(timeout, &later);
    api->timeout_update(timeout, nullptr);
    QTest::qWait(60);
    QCOMPARE(calls.timeouts, 2);

    calls.freeOnCall = true;
    const timeval last = fromNow(0);
    api->timeout_update(timeout, &last);
    QTRY_COMPARE(calls.timeouts, 3);
    api->timeout_free(never);
}

void DnsSdTest::nothingWithoutSettingOrDaemon_data()
{
    QTest::addColumn<int>("announce");
    QTest::newRow("setting off") << 0;
    QTest::newRow("setting on, no daemon") << 1;
}

void DnsSdTest::nothingWithoutSettingOrDaemon()
{
    QFETCH(int, announce);
    TestEnvironment env;
    AppData::sharedInstance().setAnnounceOnNetwork(announce);
    DnsSdPublisher publisher;
    QVERIFY(!publisher.publish(QStringLiteral("Vennaro"), "_vennaro._tcp", 8090));
    QVERIFY(!publisher.isOpen());
    DnsSdBrowser browser;
    QVERIFY(!browser.browse("_vennaro._tcp"));
    QVERIFY(!browser.isOpen());
    QVERIFY(browser.services().isEmpty());
    Announcer announcer;
    announcer.start(8080);
    QVERIFY(!announcer.dnsSd().isOpen());
    // No adapter either: the directory has nothing to wait for.
    PeerDirectory directory;
    QVERIFY(!directory.start());
    QVERIFY(directory.isSettled());
    QVERIFY(directory.entries().isEmpty());
}

void DnsSdTest::resolvedServices_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("expected"); // empty: not taken
    QTest::newRow("IPv4") << "192.168.1.20" << 8090 << "192.168.1.20:8090";
    QTest::newRow("IPv6 is passed over") << "fe80::1" << 8090 << "";
    QTest::newRow("port 0") << "192.168.1.20" << 0 << "";
}

void DnsSdTest::resolvedServices()
{
    QFETCH(QString, address);
    QFETCH(int, port);
    QFETCH(QString, expected);
    AvahiAddress parsed{};
    QVERIFY(avahi_address_parse(address.toLatin1().constData(), AVAHI_PROTO_UNSPEC, &parsed));
    const std::optional<DnsSdService> service = DnsSdBrowser::serviceFrom("Vennaro #2", &parsed, quint16(port));
    QCOMPARE(bool(service), !expected.isEmpty());
    if (service) {
        QCOMPARE(service->name, QStringLiteral("Vennaro #2"));
        QCOMPARE(service->address(), expected);
    }
}

void DnsSdTest::pickerRows()
{
    const QList<DnsSdService> services{{QStringLiteral("Vennaro"), QStringLiteral("192.168.1.20"), 8090},
                                       {QStringLiteral("Vennaro #2"), QStringLiteral("192.168.1.31"), 9000}};
    const QList<RfcommFinder::Device> devices{{QStringLiteral("Ana's laptop"), QStringLiteral("bt:00:1A:7D:DA:71:13")}};
    const QList<PeerDirectory::Entry> expected{
        {QStringLiteral("Vennaro (192.168.1.20:8090)"), QStringLiteral("192.168.1.20:8090")},
        {QStringLiteral("Vennaro #2 (192.168.1.31:9000)"), QStringLiteral("192.168.1.31:9000")},
        {QStringLiteral("Ana's laptop (Bluetooth)"), QStringLiteral("bt:00:1A:7D:DA:71:13")}};
    QCOMPARE(PeerDirectory::entriesFrom(services, devices), expected);
    QVERIFY(PeerDirectory::entriesFrom({}, {}).isEmpty());
}

void DnsSdTest::bluetoothAddresses_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("device"); // empty: not a Bluetooth peer address
    QTest::newRow("device") << "bt:00:1A:7D:DA:71:13" << "00:1A:7D:DA:71:13";
    QTest::newRow("upper-case prefix, lower-case hex") << "BT:00:1a:7d:da:71:13" << "00:1A:7D:DA:71:13";
    QTest::newRow("too short") << "bt:00:1A:7D:DA:71" << "";
    QTest::newRow("not hex") << "bt:00:1A:7D:DA:71:ZZ" << "";
    QTest::newRow("a network address") << "192.168.1.20:8090" << "";
    QTest::newRow("no prefix") << "00:1A:7D:DA:71:13" << "";
}

void DnsSdTest::bluetoothAddresses()
{
    QFETCH(QString, text);
    QFETCH(QString, device);
    const std::optional<QBluetoothAddress> parsed = Rfcomm::deviceAddress(text);
    QCOMPARE(bool(parsed), !device.isEmpty());
    if (parsed) {
        QCOMPARE(parsed->toString(), device);
        QCOMPARE(Rfcomm::peerAddress(*parsed), QStringLiteral("bt:") + device);
    }
}

QTEST_GUILESS_MAIN(DnsSdTest)
#include "dns_sd_test.moc"
