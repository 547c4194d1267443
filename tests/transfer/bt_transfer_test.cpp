// The sender and receiver of the peer file transfer, joined by an in-process queue (no
// session) and a clock the test moves: blocks, CRC, final name, watchdog and the states in
// which packets are dropped.

#include "platform/DevLog.h"
#include "platform/Localization.h"
#include "shell/AppData.h"
#include "transfer/BTfileTransfer.h"
#include "transfer/BTfileTransferDelegate.h"
#include "transfer/PeerPacket.h"

#include <QFile>
#include <QQueue>
#include <QRandomGenerator>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

#include "RecordingUiHost.h"
#include "TestEnvironment.h"

using namespace PeerPacket;

namespace {

struct Side : BTfileTransferDelegate {
    QList<QByteArray> sent;
    int disconnects = 0;
    QStringList statuses;
    QString fileLabel, rate, time;
    QList<QPair<int, int>> progress;
    std::function<void(const QByteArray &)> onSend;

    void sendData(const QByteArray &packet) override
    {
        sent.append(packet);
        if (onSend)
            onSend(packet);
    }
    void disconnect() override { ++disconnects; }
    void setFileLabel(const QString &text) override { fileLabel = text; }
    void setFTStatus(const QString &text) override { statuses.append(text); }
    void setFTRate(const QString &text) override { rate = text; }
    void setFTTime(const QString &text) override { time = text; }
    void setFTProgress(int current, int total) override { progress.append({current, total}); }

    QList<int> types() const
    {
        QList<int> list;
        for (const QByteArray &packet : sent)
            list.append(uint8_t(packet[3]));
        return list;
    }
};

// A sender and a receiver whose packets go through a queue; `toReceiver` and `toSender` may
// change or drop (empty result) a packet on its way.
struct Pair {
    qint64 now = 1000;
    Side senderSide, receiverSide;
    BTfileTransfer sender{&senderSide, false, [this] { return now; }};
    BTfileTransfer receiver{&receiverSide, true, [this] { return now; }};
    QQueue<std::pair<BTfileTransfer *, QByteArray>> queue;
    std::function<QByteArray(const QByteArray &)> toReceiver = [](const QByteArray &p) { return p; };
    std::function<QByteArray(const QByteArray &)> toSender = [](const QByteArray &p) { return p; };

    Pair()
    {
        senderSide.onSend = [this](const QByteArray &p) { queue.enqueue({&receiver, toReceiver(p)}); };
        receiverSide.onSend = [this](const QByteArray &p) { queue.enqueue({&sender, toSender(p)}); };
    }
    void run()
    {
        while (!queue.isEmpty()) {
            auto [target, packet] = queue.dequeue();
            if (!packet.isEmpty())
                target->receiveData(packet);
        }
    }
};

QByteArray writeRandomFile(const QString &path, qint64 size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qint64 i = 0; i < size; ++i)
        bytes[i] = char(QRandomGenerator::global()->bounded(256));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != size)
        qFatal("cannot write %s", qPrintable(path));
    return bytes;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QByteArray withSequence(QByteArray packet, uint32_t sequence)
{
    qToLittleEndian<uint32_t>(sequence, packet.data() + 12);
    return packet;
}

} // namespace

class BTfileTransferTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void fileGoesInBlocks_data();
    void fileGoesInBlocks();
    void existingFileReplacedOnlyAfterMatchingCrc_data();
    void existingFileReplacedOnlyAfterMatchingCrc();
    void senderWatchdogAfterUnansweredEnd();
    void receiverTimeoutDeletesPartialFile();
    void blockNotStoredStallsTheTransfer_data();
    void blockNotStoredStallsTheTransfer();
    void packetsWithNoFileOpenAreDropped();
    void unexpectedAcknowledgementStallsTheSender();
    void peerLeavingInterruptsTheReceiver();
    void fileOfTwoGibibytesIsRefused();
};

void BTfileTransferTest::fileGoesInBlocks_data()
{
    QTest::addColumn<qint64>("size");
    QTest::addColumn<int>("setting");
    QTest::addColumn<int>("blocks");
    QTest::addColumn<int>("lastBlock");
    QTest::newRow("100000 bytes: a quarter each") << qint64(100000) << 30 << 4 << 25000;
    QTest::newRow("1 MiB: 30 KiB blocks") << qint64(1048576) << 30 << 35 << 4096;
    QTest::newRow("1 MiB: 5 KiB blocks") << qint64(1048576) << 5 << 205 << 4096;
    QTest::newRow("3 bytes: one byte each") << qint64(3) << 30 << 3 << 1;
    QTest::newRow("empty") << qint64(0) << 30 << 0 << 0;
}

void BTfileTransferTest::fileGoesInBlocks()
{
    QFETCH(qint64, size);
    QFETCH(int, setting);
    QFETCH(int, blocks);
    QFETCH(int, lastBlock);
    TestEnvironment env;
    AppData::sharedInstance().setBtBlockSize(setting);
    const QByteArray content = writeRandomFile(env.documents() + QStringLiteral("/a.vcf"), size);
    Pair pair;
    QVERIFY(pair.sender.setFile(QStringLiteral("a.vcf")));
    QCOMPARE(pair.senderSide.fileLabel, QStringLiteral("a.vcf (%1)").arg(BTfileTransfer::toSizeText(size)));
    pair.sender.sendFileHeader();
    pair.run();

    QList<int> expectedTypes{PacketFileHeader};
    for (int i = 0; i < blocks; ++i)
        expectedTypes.append(PacketData);
    expectedTypes.append(PacketEnd);
    QCOMPARE(pair.senderSide.types(), expectedTypes);
    for (int i = 1; i <= blocks; ++i)
        QCOMPARE(validateHeader(pair.senderSide.sent[i])->sequence, uint32_t(i));
    if (blocks > 0) {
        QCOMPARE(int(validateHeader(pair.senderSide.sent[blocks])->dataLength), lastBlock);
        QCOMPARE(pair.senderSide.progress.last(), qMakePair(blocks, blocks));
        QCOMPARE(pair.receiverSide.progress.last(), qMakePair(blocks, blocks));
    }
    QCOMPARE(pair.senderSide.statuses, (QStringList{L("KTransmitting"), L("KFinished"), L("KbtTXok")}));
    QCOMPARE(pair.receiverSide.statuses, (QStringList{L("KbtReceiving"), L("KbtFileReceived")}));
    QCOMPARE(pair.receiverSide.time, QStringLiteral("Time: 0 secs"));
    QCOMPARE(pair.receiverSide.disconnects, 1);
    QCOMPARE(readFile(env.documents() + QStringLiteral("/a.vcf")), content);
    QVERIFY(!QFile::exists(env.documents() + QStringLiteral("/a.vcf.part")));
    QVERIFY(!pair.receiver.fh());
    QVERIFY(!pair.sender.fh());
}

void BTfileTransferTest::existingFileReplacedOnlyAfterMatchingCrc_data()
{
    QTest::addColumn<bool>("corrupt");
    QTest::newRow("matching CRC") << false;
    QTest::newRow("wrong CRC") << true;
}

void BTfileTransferTest::existingFileReplacedOnlyAfterMatchingCrc()
{
    QFETCH(bool, corrupt);
    TestEnvironment env;
    // Sent from a file elsewhere onto a file of the same name in the documents folder.
    QDir().mkpath(env.path(QStringLiteral("outbox")));
    const QString source = env.path(QStringLiteral("outbox/a.vcf"));
    const QByteArray content = writeRandomFile(source, 5000);
    const QString target = env.documents() + QStringLiteral("/a.vcf");
    {
        QFile old(target);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old cards");
    }
    Pair pair;
    if (corrupt) {
        pair.toReceiver = [](const QByteArray &p) {
            return uint8_t(p[3]) == PacketEnd ? withSequence(p, validateHeader(p)->sequence ^ 1u) : p;
        };
    }
    QVERIFY(pair.sender.setFile(source));
    pair.sender.sendFileHeader();
    pair.run();

    QCOMPARE(pair.receiverSide.types().last(), int(corrupt ? PacketCRCError : PacketReceived));
    QCOMPARE(readFile(target), corrupt ? QByteArray("old cards") : content);
    QVERIFY(!QFile::exists(target + QStringLiteral(".part")));
    QCOMPARE(pair.senderSide.statuses.last(), corrupt ? L("KbtCRCerror") : L("KbtTXok"));
    QCOMPARE(pair.receiverSide.statuses.last(), corrupt ? L("KbtCRCerror") : L("KbtFileReceived"));
}

void BTfileTransferTest::senderWatchdogAfterUnansweredEnd()
{
    TestEnvironment env;
    writeRandomFile(env.documents() + QStringLiteral("/a.vcf"), 1000);
    Pair pair;
    pair.toSender = [](const QByteArray &p) { return uint8_t(p[3]) == PacketAck ? p : QByteArray(); };
    QVERIFY(pair.sender.setFile(QStringLiteral("a.vcf")));
    pair.sender.sendFileHeader();
    pair.run();
    QCOMPARE(pair.senderSide.types().last(), int(PacketEnd));
    QVERIFY(!pair.sender.fh());

    pair.now += BTfileTransfer::kPacketTimeout;
    pair.sender.watchDog();
    QCOMPARE(pair.senderSide.disconnects, 0);
    QCOMPARE(pair.senderSide.statuses.last(), L("KFinished"));

    pair.now += 1;
    QStringList lines;
    DevLog::setSink([&lines](const QString &line) { lines.append(line); });
    pair.sender.watchDog();
    DevLog::setSink({});
    QCOMPARE(lines, QStringList{QStringLiteral("----------- PKT TIMEOUT ------------")});
    QCOMPARE(pair.senderSide.disconnects, 1);
    QCOMPARE(pair.senderSide.statuses.last(), L("KTimeout"));
    // Disarmed: the next tick does nothing more.
    pair.now += 100;
    pair.sender.watchDog();
    QCOMPARE(pair.senderSide.disconnects, 1);
}

void BTfileTransferTest::receiverTimeoutDeletesPartialFile()
{
    TestEnvironment env;
    writeRandomFile(env.documents() + QStringLiteral("/b.csv"), 100000);
    QDir().mkpath(env.path(QStringLiteral("outbox")));
    QFile::rename(env.documents() + QStringLiteral("/b.csv"), env.path(QStringLiteral("outbox/b.csv")));
    Pair pair;
    int dataPackets = 0;
    // The sender goes silent after its second block.
    pair.toReceiver = [&dataPackets](const QByteArray &p) {
        return uint8_t(p[3]) == PacketData && ++dataPackets > 2 ? QByteArray() : p;
    };
    QVERIFY(pair.sender.setFile(env.path(QStringLiteral("outbox/b.csv"))));
    pair.sender.sendFileHeader();
    pair.run();
    const QString partial = env.documents() + QStringLiteral("/b.csv.part");
    QVERIFY(pair.receiver.fh());
    QCOMPARE(QFileInfo(partial).size(), 50000);

    pair.now += BTfileTransfer::kPacketTimeout + 1;
    pair.receiver.watchDog();
    QCOMPARE(pair.receiverSide.statuses.last(), L("KTimeout"));
    QCOMPARE(pair.receiverSide.disconnects, 1);
    QVERIFY(!pair.receiver.fh());
    QVERIFY(!QFile::exists(partial));
    QVERIFY(!QFile::exists(env.documents() + QStringLiteral("/b.csv")));
}

void BTfileTransferTest::blockNotStoredStallsTheTransfer_data()
{
    QTest::addColumn<qint64>("size");
    QTest::addColumn<qint64>("limit");
    QTest::addColumn<QList<int>>("senderTypes");
    QTest::addColumn<int>("answers");
    // 100,000 bytes go in four blocks of 25,000; the third one passes the limit.
    QTest::newRow("a middle block") << qint64(100000) << qint64(60000)
                                    << QList<int>{PacketFileHeader, PacketData, PacketData, PacketData, PacketData} << 4;
    QTest::newRow("the last block") << qint64(3) << qint64(2)
                                    << QList<int>{PacketFileHeader, PacketData, PacketData, PacketData, PacketEnd} << 4;
}

void BTfileTransferTest::blockNotStoredStallsTheTransfer()
{
    QFETCH(qint64, size);
    QFETCH(qint64, limit);
    QFETCH(QList<int>, senderTypes);
    QFETCH(int, answers);
    TestEnvironment env;
    QDir().mkpath(env.path(QStringLiteral("outbox")));
    const QString source = env.path(QStringLiteral("outbox/c.bin"));
    writeRandomFile(source, size);
    Pair pair;
    QVERIFY(pair.sender.setFile(source));
    // Files of this process may not grow past `limit`: the receiver's write comes up short.
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit lowered = saved;
    lowered.rlim_cur = rlim_t(limit);
    const auto oldHandler = signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &lowered);
    DevLog::setConsoleEnabled(false);
    pair.sender.sendFileHeader();
    pair.run();
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, oldHandler);
    DevLog::setConsoleEnabled(true);

    // The block that was not stored was already answered; nothing after it is, not even an end.
    QCOMPARE(pair.senderSide.types(), senderTypes);
    QCOMPARE(pair.receiverSide.types(), QList<int>(answers, PacketAck));
    QVERIFY(!pair.senderSide.statuses.contains(L("KbtTXok")));
    QVERIFY(!pair.receiverSide.statuses.contains(L("KbtFileReceived")));
    const QString partial = env.documents() + QStringLiteral("/c.bin.part");
    QVERIFY(QFile::exists(partial));
    pair.now += BTfileTransfer::kPacketTimeout + 1;
    pair.receiver.watchDog();
    QCOMPARE(pair.receiverSide.statuses.last(), L("KTimeout"));
    QVERIFY(!QFile::exists(partial));
    QVERIFY(!QFile::exists(env.documents() + QStringLiteral("/c.bin")));
}

void BTfileTransferTest::packetsWithNoFileOpenAreDropped()
{
    TestEnvironment env;
    Pair pair;
    DevLog::setConsoleEnabled(false);
    pair.receiver.receiveData(build(PacketData, 1, "stray"));
    pair.receiver.receiveData(build(PacketEnd, 0));
    pair.sender.receiveData(build(PacketAck, 0));
    pair.sender.receiveData(build(PacketReceived, 0));
    DevLog::setConsoleEnabled(true);
    QVERIFY(pair.receiverSide.sent.isEmpty());
    QVERIFY(pair.senderSide.sent.isEmpty());
    QVERIFY(pair.receiverSide.statuses.isEmpty());
    QVERIFY(pair.senderSide.statuses.isEmpty());
    QCOMPARE(QDir(env.documents()).entryList(QDir::Files | QDir::NoDotAndDotDot), QStringList());
}

void BTfileTransferTest::unexpectedAcknowledgementStallsTheSender()
{
    TestEnvironment env;
    RecordingUiHost host;
    writeRandomFile(env.documents() + QStringLiteral("/a.vcf"), 1000);
    Pair pair;
    QVERIFY(pair.sender.setFile(QStringLiteral("a.vcf")));
    pair.sender.sendFileHeader();
    pair.sender.receiveData(build(PacketAck, 5));
    QCOMPARE(host.lastText(), L("KInvalidResponse"));
    QCOMPARE(host.lastTitle(), L("KError"));
    // Nothing more goes, not even for the right answer afterwards.
    pair.sender.receiveData(build(PacketAck, 0));
    QCOMPARE(pair.senderSide.types(), QList<int>{PacketFileHeader});
}

void BTfileTransferTest::peerLeavingInterruptsTheReceiver()
{
    TestEnvironment env;
    Pair pair;
    pair.receiver.receiveData(build(PacketFileHeader, 0, FileHeader{10, 5, QStringLiteral("c.vcf")}.encode()));
    pair.receiver.receiveData(build(PacketData, 1, "12345"));
    QVERIFY(QFile::exists(env.documents() + QStringLiteral("/c.vcf.part")));
    pair.receiver.disconnected();
    QCOMPARE(pair.receiverSide.statuses.last(), L("KInterrupted"));
    QVERIFY(!QFile::exists(env.documents() + QStringLiteral("/c.vcf.part")));
    // Once idle, a disconnection says nothing.
    pair.receiver.disconnected();
    QCOMPARE(pair.receiverSide.statuses.count(L("KInterrupted")), 1);
}

void BTfileTransferTest::fileOfTwoGibibytesIsRefused()
{
    TestEnvironment env;
    RecordingUiHost host;
    QFile big(env.documents() + QStringLiteral("/big.bin"));
    QVERIFY(big.open(QIODevice::WriteOnly));
    QVERIFY(big.resize(qint64(1) << 31)); // sparse: takes no room
    big.close();
    Pair pair;
    QVERIFY(!pair.sender.setFile(QStringLiteral("big.bin")));
    QCOMPARE(host.lastText(), L("KFileTooLarge").arg(QStringLiteral("big.bin"), QStringLiteral("2.00 GB")));
    pair.sender.sendFileHeader();
    QVERIFY(pair.senderSide.sent.isEmpty());
}

QTEST_GUILESS_MAIN(BTfileTransferTest)
#include "bt_transfer_test.moc"
