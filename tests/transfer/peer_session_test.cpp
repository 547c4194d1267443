// The TCP peer session: framing, the hello and its answer, addresses, and two sessions
// talking over loopback.

#include "platform/DevLog.h"
#include "platform/Localization.h"
#include "transfer/PeerFraming.h"
#include "transfer/PeerTransport.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QtTest>

#include "RawPeer.h"

using Next = PeerFraming::Reader::Next;

namespace {
QByteArray lengthPrefix(quint32 length)
{
    QByteArray bytes(4, '\0');
    qToBigEndian<quint32>(length, bytes.data());
    return bytes;
}

// A session listening on loopback at a port of the system's choice.
std::unique_ptr<PeerTransport> listeningSession()
{
    auto session = std::make_unique<PeerTransport>(QStringLiteral("Vennaro"));
    session->setListenAddress(QHostAddress::LocalHost, 0);
    if (!session->setAvailable(true))
        qFatal("cannot listen on loopback");
    return session;
}
}

class PeerSessionTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { DevLog::setConsoleEnabled(false); }
    void framesAcrossPieces();
    void lengthsOutOfBounds_data();
    void lengthsOutOfBounds();
    void hellos_data();
    void hellos();
    void addresses_data();
    void addresses();
    void wrongHelloIsDeniedWithoutAsking_data();
    void wrongHelloIsDeniedWithoutAsking();
    void acceptedPeerExchangesMessages();
    void badFrameEndsTheSession();
    void secondPeerIsDeniedWhileOneIsServed();
    void twoSessionsOverLoopback();
    void deniedAndUnreachablePeersFail();
    void silentPeerIsDropped_data();
    void silentPeerIsDropped();
    void userDecisionIsNotTimed();
    void silentReceiverFailsTheConnection();
    void bluetoothPeerWithoutAdapterFails();
};

void PeerSessionTest::framesAcrossPieces()
{
    PeerFraming::Reader reader;
    const QByteArray stream = PeerFraming::frame("first") + PeerFraming::frame(QByteArray(65536, 'x')) + PeerFraming::frame("z");
    QList<QByteArray> messages;
    QByteArray message;
    // Fed in uneven pieces, as a socket delivers them.
    for (qsizetype at = 0; at < stream.size(); at += 7) {
        reader.append(QByteArrayView(stream).sliced(at, qMin<qsizetype>(7, stream.size() - at)));
        Next next;
        while ((next = reader.next(message)) == Next::Message)
            messages.append(message);
        QCOMPARE(next, Next::Incomplete);
    }
    QCOMPARE(messages, (QList<QByteArray>{"first", QByteArray(65536, 'x'), "z"}));
    QCOMPARE(reader.buffered(), 0);
}

void PeerSessionTest::lengthsOutOfBounds_data()
{
    QTest::addColumn<quint32>("length");
    QTest::newRow("0") << 0u;
    QTest::newRow("65537") << 65537u;
    QTest::newRow("4 GiB - 1") << 0xFFFFFFFFu;
}

void PeerSessionTest::lengthsOutOfBounds()
{
    QFETCH(quint32, length);
    PeerFraming::Reader reader;
    reader.append(lengthPrefix(length) + QByteArray("rest"));
    QByteArray message;
    QCOMPARE(reader.next(message), Next::Bad);
    // For good: more bytes do not make the stream usable again.
    reader.append(PeerFraming::frame("ok"));
    QCOMPARE(reader.next(message), Next::Bad);
}

void PeerSessionTest::hellos_data()
{
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<bool>("good");
    QTest::addColumn<QString>("name");
    const QByteArray good = PeerFraming::hello(QStringLiteral("Ana's laptop"));
    QTest::newRow("good") << good << true << "Ana's laptop";
    QTest::newRow("no name") << PeerFraming::hello(QString()) << true << "";
    QTest::newRow("as documented") << QByteArray("VNPS\x01gkvennaro\0Box", 18) << true << "Box";
    QByteArray magic = good;
    magic[0] = 'X';
    QTest::newRow("wrong magic") << magic << false << "";
    QByteArray version = good;
    version[4] = 2;
    QTest::newRow("version 2") << version << false << "";
    QTest::newRow("other session") << PeerFraming::hello(QStringLiteral("x"), "gkother") << false << "";
    QTest::newRow("longer session") << PeerFraming::hello(QStringLiteral("x"), "gkvennaro2") << false << "";
    QTest::newRow("no zero byte") << QByteArray("VNPS\x01gkvennaro") << false << "";
    QTest::newRow("empty") << QByteArray() << false << "";
}

void PeerSessionTest::hellos()
{
    QFETCH(QByteArray, message);
    QFETCH(bool, good);
    QFETCH(QString, name);
    const std::optional<QString> checked = PeerFraming::checkHello(message);
    QCOMPARE(bool(checked), good);
    if (good)
        QCOMPARE(*checked, name);
}

void PeerSessionTest::addresses_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("host"); // empty: not an address
    QTest::addColumn<int>("port");
    QTest::newRow("host") << "192.168.1.20" << "192.168.1.20" << 8090;
    QTest::newRow("host and port") << " peer.local:9000 " << "peer.local" << 9000;
    QTest::newRow("IPv6 in brackets") << "[::1]:7000" << "::1" << 7000;
    QTest::newRow("bare IPv6") << "fe80::1" << "fe80::1" << 8090;
    QTest::newRow("port 0") << "host:0" << "" << 0;
    QTest::newRow("port too big") << "host:65536" << "" << 0;
    QTest::newRow("port not a number") << "host:http" << "" << 0;
    QTest::newRow("empty") << "  " << "" << 0;
    QTest::newRow("unclosed bracket") << "[::1:80" << "" << 0;
}

void PeerSessionTest::addresses()
{
    QFETCH(QString, text);
    QFETCH(QString, host);
    QFETCH(int, port);
    const auto parsed = PeerTransport::parseAddress(text, PeerTransport::kDefaultPort);
    QCOMPARE(bool(parsed), !host.isEmpty());
    if (parsed) {
        QCOMPARE(parsed->first, host);
        QCOMPARE(int(parsed->second), port);
    }
}

void PeerSessionTest::wrongHelloIsDeniedWithoutAsking_data()
{
    QTest::addColumn<QByteArray>("message");
    QByteArray magic = PeerFraming::hello(QStringLiteral("x"));
    magic[1] = 'X';
    QByteArray version = PeerFraming::hello(QStringLiteral("x"));
    version[4] = 9;
    QTest::newRow("magic") << magic;
    QTest::newRow("version") << version;
    QTest::newRow("session identifier") << PeerFraming::hello(QStringLiteral("x"), "gkvennarO");
}

void PeerSessionTest::wrongHelloIsDeniedWithoutAsking()
{
    QFETCH(QByteArray, message);
    auto session = listeningSession();
    QSignalSpy requests(session.get(), &PeerSession::connectionRequested);
    RawPeer peer(session->serverPort());
    peer.sendMessage(message);
    QVERIFY(peer.waitForMessages(1));
    QCOMPARE(peer.messages, QList<QByteArray>{QByteArray(1, '\0')});
    QVERIFY(peer.waitForClose());
    QCOMPARE(requests.count(), 0);
}

void PeerSessionTest::acceptedPeerExchangesMessages()
{
    auto session = listeningSession();
    QSignalSpy requests(session.get(), &PeerSession::connectionRequested);
    QSignalSpy states(session.get(), &PeerSession::peerChangedState);
    QSignalSpy received(session.get(), &PeerSession::dataReceived);
    RawPeer peer(session->serverPort());
    // The first message may come right behind the hello, before the answer.
    peer.sendMessage(PeerFraming::hello(QStringLiteral("Phone")));
    peer.sendMessage("early");
    QVERIFY(requests.wait());
    const QString id = requests.first().first().toString();
    QCOMPARE(session->displayNameForPeer(id), QStringLiteral("Phone"));
    QCOMPARE(received.count(), 0);
    session->acceptConnectionFromPeer(id);
    QVERIFY(peer.waitForMessages(1));
    QCOMPARE(peer.messages.first(), QByteArray(1, '\1'));
    QCOMPARE(states.first(), (QList<QVariant>{id, int(PeerSession::PeerStateConnected)}));
    QTRY_COMPARE(received.count(), 1);
    QCOMPARE(received.first().first().toByteArray(), QByteArray("early"));

    QVERIFY(session->sendData("reply", id));
    QVERIFY(peer.waitForMessages(2));
    QCOMPARE(peer.messages.last(), QByteArray("reply"));
    peer.socket.disconnectFromHost();
    QTRY_COMPARE(states.last(), (QList<QVariant>{id, int(PeerSession::PeerStateDisconnected)}));
    QVERIFY(!session->sendData("late", id));
}

void PeerSessionTest::badFrameEndsTheSession()
{
    auto session = listeningSession();
    QSignalSpy requests(session.get(), &PeerSession::connectionRequested);
    QSignalSpy states(session.get(), &PeerSession::peerChangedState);
    RawPeer peer(session->serverPort());
    peer.sendMessage(PeerFraming::hello(QStringLiteral("Phone")));
    QVERIFY(requests.wait());
    session->acceptConnectionFromPeer(requests.first().first().toString());
    peer.sendRaw(lengthPrefix(65537));
    QVERIFY(peer.waitForClose());
    QTRY_COMPARE(states.last().at(1).toInt(), int(PeerSession::PeerStateDisconnected));
}

void PeerSessionTest::secondPeerIsDeniedWhileOneIsServed()
{
    auto session = listeningSession();
    QSignalSpy requests(session.get(), &PeerSession::connectionRequested);
    RawPeer first(session->serverPort());
    first.sendMessage(PeerFraming::hello(QStringLiteral("one")));
    QVERIFY(requests.wait());
    RawPeer second(session->serverPort());
    second.sendMessage(PeerFraming::hello(QStringLiteral("two")));
    QVERIFY(second.waitForMessages(1));
    QCOMPARE(second.messages.first(), QByteArray(1, '\0'));
    QCOMPARE(requests.count(), 1);
}

void PeerSessionTest::twoSessionsOverLoopback()
{
    auto server = listeningSession();
    PeerTransport client(QStringLiteral("Sender"));
    connect(server.get(), &PeerSession::connectionRequested, server.get(),
            [&server](const QString &id) { server->acceptConnectionFromPeer(id); });
    QSignalSpy clientStates(&client, &PeerSession::peerChangedState);
    QSignalSpy atServer(server.get(), &PeerSession::dataReceived);
    QSignalSpy atClient(&client, &PeerSession::dataReceived);
    const QString address = QStringLiteral("127.0.0.1:%1").arg(server->serverPort());
    client.connectToPeer(address);
    QCOMPARE(clientStates.first(), (QList<QVariant>{address, int(PeerSession::PeerStateConnecting)}));
    QTRY_COMPARE(clientStates.last(), (QList<QVariant>{address, int(PeerSession::PeerStateConnected)}));

    const QByteArray big(65536, 'b');
    QVERIFY(client.sendData(big, address));
    QVERIFY(atServer.wait());
    QCOMPARE(atServer.first().first().toByteArray(), big);
    const QString serverSide = atServer.first().at(1).toString();
    QCOMPARE(server->displayNameForPeer(serverSide), QStringLiteral("Sender"));
    // A last word right before the close still arrives.
    QVERIFY(server->sendData("verdict", serverSide));
    server->disconnectFromAllPeers();
    QTRY_COMPARE(clientStates.last(), (QList<QVariant>{address, int(PeerSession::PeerStateDisconnected)}));
    QCOMPARE(atClient.count(), 1);
    QCOMPARE(atClient.first().first().toByteArray(), QByteArray("verdict"));
}

void PeerSessionTest::deniedAndUnreachablePeersFail()
{
    auto server = listeningSession();
    connect(server.get(), &PeerSession::connectionRequested, server.get(),
            [&server](const QString &id) { server->denyConnectionFromPeer(id); });
    PeerTransport client(QStringLiteral("Sender"));
    QSignalSpy failures(&client, &PeerSession::connectionWithPeerFailed);
    client.connectToPeer(QStringLiteral("127.0.0.1:%1").arg(server->serverPort()));
    QVERIFY(failures.wait());
    QCOMPARE(failures.first().at(1).toString(), L("KPeerDenied"));

    const quint16 closedPort = server->serverPort();
    server.reset();
    client.connectToPeer(QStringLiteral("127.0.0.1:%1").arg(closedPort));
    QVERIFY(failures.wait());
    QCOMPARE(failures.count(), 2);

    client.connectToPeer(QStringLiteral("no address here"));
    QCOMPARE(failures.count(), 3);
    QCOMPARE(failures.last().at(1).toString(), L("KPeerBadAddress").arg(QStringLiteral("no address here")));
}

void PeerSessionTest::silentPeerIsDropped_data()
{
    QTest::addColumn<QByteArray>("sent");
    QTest::newRow("nothing") << QByteArray();
    QTest::newRow("half a hello") << PeerFraming::frame(PeerFraming::hello(QStringLiteral("x"))).left(9);
}

void PeerSessionTest::silentPeerIsDropped()
{
    QFETCH(QByteArray, sent);
    auto session = listeningSession();
    session->setHandshakeTimeouts(100, 100);
    QSignalSpy requests(session.get(), &PeerSession::connectionRequested);
    RawPeer peer(session->serverPort());
    if (!sent.isEmpty())
        peer.sendRaw(sent);
    QVERIFY(peer.waitForClose());
    QCOMPARE(requests.count(), 0);
    // Nothing of it is left to hold up the next sender.
    RawPeer next(session->serverPort());
    next.sendMessage(PeerFraming::hello(QStringLiteral("next")));
    QVERIFY(requests.wait());
}

void PeerSessionTest::userDecisionIsNotTimed()
{
    auto session = listeningSession();
    session->setHandshakeTimeouts(50, 50);
    QSignalSpy requests(session.get(), &PeerSession::connectionRequested);
    RawPeer peer(session->serverPort());
    peer.sendMessage(PeerFraming::hello(QStringLiteral("Phone")));
    QVERIFY(requests.wait());
    QTest::qWait(200);
    session->acceptConnectionFromPeer(requests.first().first().toString());
    QVERIFY(peer.waitForMessages(1));
    QCOMPARE(peer.messages.first(), QByteArray(1, '\1'));
}

void PeerSessionTest::silentReceiverFailsTheConnection()
{
    // Takes the connection and never answers the hello.
    QTcpServer silent;
    QVERIFY(silent.listen(QHostAddress::LocalHost, 0));
    PeerTransport client(QStringLiteral("Sender"));
    client.setHandshakeTimeouts(100, 100);
    QSignalSpy failures(&client, &PeerSession::connectionWithPeerFailed);
    const QString address = QStringLiteral("127.0.0.1:%1").arg(silent.serverPort());
    client.connectToPeer(address);
    QVERIFY(failures.wait());
    QCOMPARE(failures.first(), (QList<QVariant>{address, L("KPeerNoAnswer")}));
    QVERIFY(silent.hasPendingConnections());
    QTcpSocket *accepted = silent.nextPendingConnection();
    QTRY_COMPARE(accepted->state(), QAbstractSocket::UnconnectedState);
}

void PeerSessionTest::bluetoothPeerWithoutAdapterFails()
{
    // The tests see no adapter.
    PeerTransport client(QStringLiteral("Sender"));
    QSignalSpy failures(&client, &PeerSession::connectionWithPeerFailed);
    client.connectToPeer(QStringLiteral("bt:00:1A:7D:DA:71:13"));
    QCOMPARE(failures.count(), 1);
    QCOMPARE(failures.first(), (QList<QVariant>{QStringLiteral("bt:00:1A:7D:DA:71:13"), L("KPeerNoBluetooth")}));
}

QTEST_GUILESS_MAIN(PeerSessionTest)
#include "peer_session_test.moc"
