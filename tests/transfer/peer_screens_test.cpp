// The two peer transfer screens over real sessions on loopback, with a recording host
// answering the questions: the whole transfer, requests while receiving, "No", a wrong CRC
// from a hand-written sender, leaving mid-transfer, a port that cannot be listened on.

#include "importing/FileChooserViewController.h"
#include "platform/DevLog.h"
#include "platform/DeviceFacts.h"
#include "platform/Localization.h"
#include "screens/ScreenCatalog.h"
#include "shell/AppData.h"
#include "shell/ScreenRegistry.h"
#include "transfer/BTcliViewController.h"
#include "transfer/BTsrvViewController.h"
#include "transfer/DnsSd.h"
#include "transfer/PeerPacket.h"
#include "transfer/PeerSession.h"

#include <QRandomGenerator>
#include <QTcpServer>
#include <QtTest>

#include "RawPeer.h"
#include "RecordingUiHost.h"
#include "TestEnvironment.h"

using namespace PeerPacket;

namespace {

QByteArray randomBytes(qint64 size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator::global()->fillRange(reinterpret_cast<quint32 *>(bytes.data()), size / 4);
    return bytes;
}

QString writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// A receiving screen on loopback, started as when it appears (without taking the host's stack).
std::unique_ptr<BTsrvViewController> receivingScreen()
{
    auto screen = std::make_unique<BTsrvViewController>();
    screen->setListenAddress(QHostAddress::LocalHost, 0);
    screen->startSession();
    return screen;
}

QString addressOf(const BTsrvViewController &screen)
{
    return QStringLiteral("127.0.0.1:%1").arg(screen.serverPort());
}

// Sends one file from a fresh sending screen to `address`; answers the screen.
std::unique_ptr<BTcliViewController> sendFile(RecordingUiHost &host, const QString &path, const QString &address)
{
    auto screen = std::make_unique<BTcliViewController>();
    host.textAnswers.enqueue(address);
    screen->setFile(path);
    screen->showPicker();
    return screen;
}

QStringList documentFiles(const TestEnvironment &env)
{
    return QDir(env.documents()).entryList(QDir::Files);
}

} // namespace

class PeerScreensTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        DevLog::setConsoleEnabled(false);
        ScreenCatalog::registerAll();
    }
    void peerStateTexts_data();
    void peerStateTexts();
    void initialTexts();
    void fileGoesFromOneScreenToTheOther();
    void requestWhileReceivingIsDeniedWithoutAlert();
    void answerNoKeepsWaiting();
    void wrongCrcLeavesNoFile();
    void leavingTheSenderInterruptsTheReceiver();
    void portInUseShowsErrorAndLeaves();
    void cancelledPickerLeaves();
    void pickerOffersThePeersFound();
    void withoutDaemonOrAdapterOnlyTheAddressIsOffered_data();
    void withoutDaemonOrAdapterOnlyTheAddressIsOffered();
    void fileListSendsThroughTheSendingScreen();
};

void PeerScreensTest::peerStateTexts_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<QString>("text");
    QTest::newRow("available") << 0 << "Available";
    QTest::newRow("unavailable") << 1 << "Unavailable";
    QTest::newRow("connected") << 2 << "Box connected";
    QTest::newRow("disconnected") << 3 << "Disconnected";
    QTest::newRow("connecting") << 4 << "Connecting";
    QTest::newRow("other") << 5 << "";
}

void PeerScreensTest::peerStateTexts()
{
    QFETCH(int, state);
    QFETCH(QString, text);
    QCOMPARE(BTTransferScreen::peerStateText(state, QStringLiteral("Box")), text);
}

void PeerScreensTest::initialTexts()
{
    TestEnvironment env;
    BTsrvViewController receiving;
    BTcliViewController sending;
    QCOMPARE(receiving.title(), QStringLiteral("BT server"));
    QCOMPARE(sending.title(), QStringLiteral("BT client"));
    QCOMPARE(receiving.labelStatus(), QStringLiteral("Waiting connection"));
    QCOMPARE(sending.labelStatus(), QStringLiteral("Waiting connection"));
    QCOMPARE(receiving.labelMSG1(), QStringLiteral("Waiting"));
    QCOMPARE(sending.labelMSG1(), QString());
}

void PeerScreensTest::fileGoesFromOneScreenToTheOther()
{
    TestEnvironment env;
    RecordingUiHost host;
    auto receiving = receivingScreen();
    QSignalSpy received(receiving.get(), &BTsrvViewController::fileReceived);

    for (const QString &name : {QStringLiteral("first.vcf"), QStringLiteral("second.csv")}) {
        const QByteArray content = randomBytes(300000);
        const QString source = writeFile(env.path(QStringLiteral("outbox/") + name), content);
        host.answers.enqueue(1);
        auto sending = sendFile(host, source, addressOf(*receiving));
        QTRY_COMPARE(sending->labelMSG1(), L("KbtTXok"));
        QTRY_COMPARE(receiving->labelStatus(), L("KbtDisconnected"));
        QCOMPARE(receiving->labelMSG1(), L("KbtFileReceived"));
        QVERIFY(receiving->labelMSG3().startsWith(QStringLiteral("Time: ")));
        QVERIFY(receiving->labelMSG2().endsWith(QStringLiteral("/sec")) || receiving->labelMSG2() == QStringLiteral(" "));
        QCOMPARE(receiving->labelMSG4(), QStringLiteral("10/10"));
        QCOMPARE(receiving->labelFile(), QStringLiteral("%1 (292.97 KB)").arg(name));
        QCOMPARE(readFile(env.documents() + QLatin1Char('/') + name), content);
        QCOMPARE(host.lastTitle(), QStringLiteral("Vennaro"));
        QCOMPARE(host.lastText(), QStringLiteral("Accept connection from: %1 ?").arg(DeviceFacts::deviceName()));
        QCOMPARE(host.alerts.last().buttons, (QStringList{L("KNo"), L("KYes")}));
        QTRY_COMPARE(sending->labelStatus(), L("KbtDisconnected"));
    }
    QCOMPARE(received.count(), 2);
    QCOMPARE(documentFiles(env), (QStringList{QStringLiteral("first.vcf"), QStringLiteral("second.csv")}));
}

void PeerScreensTest::requestWhileReceivingIsDeniedWithoutAlert()
{
    TestEnvironment env;
    RecordingUiHost host;
    auto receiving = receivingScreen();
    host.answers.enqueue(1);
    RawPeer first(receiving->serverPort());
    QCOMPARE(first.sayHello(QStringLiteral("first")), QByteArray(1, '\1'));
    first.sendMessage(build(PacketFileHeader, 0, FileHeader{100, 10, QStringLiteral("x.vcf")}.encode()));
    QVERIFY(first.waitForMessages(2));
    QVERIFY(receiving->transfer()->fh());
    const qsizetype alerts = host.alerts.size();

    RawPeer second(receiving->serverPort());
    QCOMPARE(second.sayHello(QStringLiteral("second")), QByteArray(1, '\0'));
    QVERIFY(second.waitForClose());
    QCOMPARE(host.alerts.size(), alerts);
    QVERIFY(receiving->transfer()->fh());
}

void PeerScreensTest::answerNoKeepsWaiting()
{
    TestEnvironment env;
    RecordingUiHost host;
    auto receiving = receivingScreen();
    host.answers.enqueue(0);
    RawPeer refused(receiving->serverPort());
    QCOMPARE(refused.sayHello(QStringLiteral("stranger")), QByteArray(1, '\0'));
    QCOMPARE(host.lastText(), QStringLiteral("Accept connection from: stranger ?"));
    QCOMPARE(receiving->labelStatus(), L("KbtWaitCon"));
    QCOMPARE(receiving->labelMSG1(), L("KbtSrvWaiting"));

    host.answers.enqueue(1);
    RawPeer welcome(receiving->serverPort());
    QCOMPARE(welcome.sayHello(QStringLiteral("friend")), QByteArray(1, '\1'));
    QTRY_COMPARE(receiving->labelStatus(), QStringLiteral("friend connected"));
    QVERIFY(receiving->isConnected());
}

void PeerScreensTest::wrongCrcLeavesNoFile()
{
    TestEnvironment env;
    RecordingUiHost host;
    auto receiving = receivingScreen();
    host.answers.enqueue(1);
    RawPeer sender(receiving->serverPort());
    sender.sendMessage(PeerFraming::hello(QStringLiteral("liar")));
    sender.sendMessage(build(PacketFileHeader, 0, FileHeader{6, 3, QStringLiteral("x.vcf")}.encode()));
    QVERIFY(sender.waitForMessages(2));
    sender.sendMessage(build(PacketData, 1, "abc"));
    sender.sendMessage(build(PacketData, 2, "def"));
    QVERIFY(sender.waitForMessages(4));
    const QByteArray wrong = build(PacketEnd, 0x12345678);
    sender.sendMessage(wrong);
    QVERIFY(sender.waitForMessages(5));
    QCOMPARE(sender.messages.last(), build(PacketCRCError, 0));
    QVERIFY(sender.waitForClose());
    QCOMPARE(receiving->labelMSG1(), L("KbtCRCerror"));
    QCOMPARE(documentFiles(env), QStringList());
}

void PeerScreensTest::leavingTheSenderInterruptsTheReceiver()
{
    TestEnvironment env;
    RecordingUiHost host;
    AppData::sharedInstance().setBtBlockSize(5);
    auto receiving = receivingScreen();
    const QString source = writeFile(env.path(QStringLiteral("outbox/big.bin")), randomBytes(4 << 20));
    auto *sending = new BTcliViewController;
    QPointer<BTcliViewController> guard(sending);
    host.answers.enqueue(1);
    host.textAnswers.enqueue(addressOf(*receiving));
    host.push(sending);
    sending->setFile(source);
    bool left = false;
    connect(sending, &ScreenController::changed, sending, [&] {
        if (!left && sending->labelMSG4().startsWith(QStringLiteral("20/"))) {
            left = true;
            QTimer::singleShot(0, this, [&host] { host.pop(); });
        }
    });
    QTRY_VERIFY(left);
    QTRY_COMPARE(receiving->labelMSG1(), L("KInterrupted"));
    QCOMPARE(receiving->labelStatus(), L("KbtDisconnected"));
    QVERIFY(!receiving->transfer()->fh());
    QCOMPARE(documentFiles(env), QStringList());
    delete guard.data();
}

void PeerScreensTest::portInUseShowsErrorAndLeaves()
{
    TestEnvironment env;
    RecordingUiHost host;
    QTcpServer taken;
    QVERIFY(taken.listen(QHostAddress::LocalHost, 0));
    auto *receiving = new BTsrvViewController;
    receiving->setListenAddress(QHostAddress::LocalHost, taken.serverPort());
    host.push(receiving);
    QCOMPARE(host.lastTitle(), L("KError"));
    QVERIFY(host.lastText().startsWith(QStringLiteral("Cannot take connections on port %1: ").arg(taken.serverPort())));
    QVERIFY(host.stack.isEmpty());
    delete receiving;
}

void PeerScreensTest::cancelledPickerLeaves()
{
    TestEnvironment env;
    RecordingUiHost host;
    auto *sending = new BTcliViewController;
    host.push(sending);
    QTRY_VERIFY(host.stack.isEmpty());
    QCOMPARE(host.lastText(), L("KPeerConnectToAddress"));
    QVERIFY(!sending->conSession());
    delete sending;
}

void PeerScreensTest::pickerOffersThePeersFound()
{
    RecordingUiHost host;
    const QList<PeerDirectory::Entry> found{{QStringLiteral("Vennaro (192.168.1.20:8090)"), QStringLiteral("192.168.1.20:8090")},
                                            {QStringLiteral("Ana's laptop (Bluetooth)"), QStringLiteral("bt:00:1A:7D:DA:71:13")}};
    host.answers.enqueue(1);
    QCOMPARE(BTcliViewController::pickAddress(found), QStringLiteral("bt:00:1A:7D:DA:71:13"));
    QCOMPARE(host.alerts.last().buttons, (QStringList{found[0].label, found[1].label, L("KPeerConnectToAddress"), L("KCancel")}));
    QCOMPARE(host.lastText(), L("KPeerChoose"));
    // "Connect to address…" asks for one; Cancel, on either question, chooses nothing.
    host.answers.enqueue(2);
    host.textAnswers.enqueue(QStringLiteral("10.0.0.5:9000"));
    QCOMPARE(BTcliViewController::pickAddress(found), QStringLiteral("10.0.0.5:9000"));
    host.answers.enqueue(2);
    host.textAnswers.enqueue(std::nullopt);
    QCOMPARE(BTcliViewController::pickAddress(found), std::nullopt);
    host.answers.enqueue(3);
    const qsizetype asked = host.alerts.size();
    QCOMPARE(BTcliViewController::pickAddress(found), std::nullopt);
    QCOMPARE(host.alerts.size(), asked + 1);
}

void PeerScreensTest::withoutDaemonOrAdapterOnlyTheAddressIsOffered_data()
{
    QTest::addColumn<int>("announce");
    QTest::newRow("announcing off") << 0;
    QTest::newRow("announcing on, no daemon") << 1;
}

void PeerScreensTest::withoutDaemonOrAdapterOnlyTheAddressIsOffered()
{
    QFETCH(int, announce);
    TestEnvironment env;
    AppData::sharedInstance().setAnnounceOnNetwork(announce);
    RecordingUiHost host;
    auto receiving = receivingScreen();
    QVERIFY(receiving->conSession());
    QVERIFY(!receiving->publisher()->isOpen());
    const QString source = writeFile(env.path(QStringLiteral("outbox/a.vcf")), "BEGIN:VCARD\r\nEND:VCARD\r\n");
    host.answers.enqueue(1);
    auto sending = sendFile(host, source, addressOf(*receiving));
    // Neither a list of found peers nor a Bluetooth row: straight to the typed address.
    QCOMPARE(host.alerts.first().text, L("KPeerConnectToAddress"));
    QTRY_COMPARE(sending->labelMSG1(), L("KbtTXok"));
}

void PeerScreensTest::fileListSendsThroughTheSendingScreen()
{
    TestEnvironment env;
    RecordingUiHost host;
    writeFile(env.documents() + QStringLiteral("/cards.vcf"), "BEGIN:VCARD\r\nEND:VCARD\r\n");
    auto *list = getScreen<FileChooserViewController>(FileChooserScreen);
    host.push(list);
    list->loadFiles(FileChooserViewController::SendBluetoothMode);
    QCOMPARE(list->rows().size(), 1);
    list->selectRow(0);
    QCOMPARE(host.stack.size(), 2);
    auto *sending = qobject_cast<BTcliViewController *>(host.stack.last());
    QVERIFY(sending);
    QCOMPARE(sending->transfer()->filename(), env.documents() + QStringLiteral("/cards.vcf"));
    QCOMPARE(sending->labelFile(), QStringLiteral("cards.vcf (24 bytes)"));
    // The picker comes up; cancelling it goes back to the list.
    QTRY_COMPARE(host.stack.size(), 1);
    ScreenRegistry::clear();
}

QTEST_GUILESS_MAIN(PeerScreensTest)
#include "peer_screens_test.moc"
