// Packet building and checking, the file header record, the CRC and the texts of the peer
// file transfer: pure functions over bytes and numbers.

#include "platform/DevLog.h"
#include "transfer/BTfileTransfer.h"
#include "transfer/PeerPacket.h"

#include <QDir>
#include <QtTest>

#include "TestEnvironment.h"

using namespace PeerPacket;

namespace {
QByteArray hex(const char *text)
{
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

// The developer log lines written while `work` runs.
QStringList logLines(const std::function<void()> &work)
{
    QStringList lines;
    DevLog::setSink([&lines](const QString &line) { lines.append(line); });
    work();
    DevLog::setSink({});
    return lines;
}
}

class PeerPacketTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void headerPacketAndItsAcknowledgement();
    void malformedPacketsAreDropped_data();
    void malformedPacketsAreDropped();
    void goodPacketGivesItsFields();
    void fileHeaderNames_data();
    void fileHeaderNames();
    void crcInBlocks_data();
    void crcInBlocks();
    void sizeTexts_data();
    void sizeTexts();
    void etaTexts_data();
    void etaTexts();
    void blockSizes_data();
    void blockSizes();
    void brokenSamplesFailCleanly();
};

void PeerPacketTest::headerPacketAndItsAcknowledgement()
{
    const FileHeader header{100000, 25000, QStringLiteral("a.vcf")};
    QCOMPARE(build(PacketFileHeader, 0, header.encode()),
             hex("F0 DA 01 03 10 00 00 00 15 00 00 00 00 00 00 00 A0 86 01 00 A8 61 00 00 05 00 00 00 61 2E 76 63 66 00 00 00 00"));
    QCOMPARE(build(PacketAck, 0), hex("F0 DA 01 01 10 00 00 00 00 00 00 00 00 00 00 00"));
}

void PeerPacketTest::malformedPacketsAreDropped_data()
{
    QTest::addColumn<QByteArray>("packet");
    QTest::addColumn<QString>("line");
    const QByteArray ack = build(PacketAck, 7);
    QByteArray wrongMagic = ack;
    wrongMagic[1] = char(0xDB);
    QByteArray wrongVersion = ack;
    wrongVersion[2] = 2;
    QByteArray oneMore = build(PacketData, 1, "abc");
    oneMore.append('x');
    QByteArray oneLess = build(PacketData, 1, "abc");
    oneLess.chop(1);
    // Lengths that add up to the packet's size only when the sum wraps round at 32 bits.
    QByteArray wrapped = build(PacketData, 1, "0123456789abcdef");
    qToLittleEndian<uint32_t>(0xFFFFFFF0u, wrapped.data() + 4);
    qToLittleEndian<uint32_t>(0x30u, wrapped.data() + 8);

    QTest::newRow("15 bytes") << ack.left(15) << "len < min";
    QTest::newRow("magic F0 DB") << wrongMagic << "invalid magic";
    QTest::newRow("version 2") << wrongVersion << "invalid version";
    QTest::newRow("one byte more") << oneMore << "invalid size";
    QTest::newRow("one byte less") << oneLess << "invalid size";
    QTest::newRow("lengths that wrap") << wrapped << "invalid size";
}

void PeerPacketTest::malformedPacketsAreDropped()
{
    QFETCH(QByteArray, packet);
    QFETCH(QString, line);
    std::optional<Checked> checked;
    const QStringList lines = logLines([&] { checked = validateHeader(packet); });
    QVERIFY(!checked);
    QCOMPARE(lines, QStringList{QStringLiteral("-[BTfileTransfer validateHeader::::] ") + line});
}

void PeerPacketTest::goodPacketGivesItsFields()
{
    const QByteArray packet = build(PacketEnd, 0xCBF43926u, "xyz");
    const std::optional<Checked> checked = validateHeader(packet);
    QVERIFY(checked);
    QCOMPARE(checked->type, uint8_t(PacketEnd));
    QCOMPARE(checked->sequence, 0xCBF43926u);
    QCOMPARE(checked->dataLength, 3u);
    QCOMPARE(checked->data.toByteArray(), QByteArray("xyz"));
}

void PeerPacketTest::fileHeaderNames_data()
{
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<QString>("name"); // empty: refused

    auto record = [](const QByteArray &name, int32_t size = 10, int32_t block = 2) {
        QByteArray bytes(16 + name.size(), '\0');
        qToLittleEndian<int32_t>(size, bytes.data());
        qToLittleEndian<int32_t>(block, bytes.data() + 4);
        qToLittleEndian<uint32_t>(uint32_t(name.size()), bytes.data() + 8);
        memcpy(bytes.data() + 12, name.constData(), size_t(name.size()));
        return bytes;
    };
    QTest::newRow("plain") << record("a.vcf") << "a.vcf";
    QTest::newRow("UTF-8") << record("Jo\xC3\xA3o.csv") << QStringLiteral("Jo\u00e3o.csv");
    QTest::newRow("parent folders") << record("../../etc/passwd") << "passwd";
    QTest::newRow("absolute path") << record("/tmp/x.vcf") << "x.vcf";
    QTest::newRow("folder only") << record("dir/") << "";
    QTest::newRow("dot") << record(".") << "";
    QTest::newRow("dot dot") << record("..") << "";
    QTest::newRow("empty") << record("") << "";
    QTest::newRow("NUL inside") << record(QByteArray("a\0b.vcf", 7)) << "";
    QTest::newRow("settings file") << record("settings.plist") << "";
    QTest::newRow("negative size") << record("a.vcf", -1) << "";
    QTest::newRow("negative block size") << record("a.vcf", 10, -5) << "";
    QByteArray tooLong = record("a.vcf");
    qToLittleEndian<uint32_t>(0xFFFFFFFFu, tooLong.data() + 8);
    QTest::newRow("L past the end") << tooLong << "";
    QTest::newRow("record too short") << QByteArray(11, '\0') << "";
    // Without the closing zero word the name still fits: it is taken by its length.
    QTest::newRow("no zero word") << record("a.vcf").chopped(4) << "a.vcf";
}

void PeerPacketTest::fileHeaderNames()
{
    QFETCH(QByteArray, record);
    QFETCH(QString, name);
    std::optional<FileHeader> header;
    const QStringList lines = logLines([&] { header = FileHeader::decode(record); });
    if (name.isEmpty()) {
        QVERIFY(!header);
        QCOMPARE(lines.size(), 1);
    } else {
        QVERIFY(header);
        QCOMPARE(header->name, name);
    }
}

void PeerPacketTest::crcInBlocks_data()
{
    QTest::addColumn<int>("block");
    for (int block : {1, 2, 3, 4, 9})
        QTest::addRow("blocks of %d", block) << block;
}

void PeerPacketTest::crcInBlocks()
{
    QFETCH(int, block);
    const QByteArray digits("123456789");
    uint32_t crc = 0;
    for (qsizetype at = 0; at < digits.size(); at += block) {
        crc = BTfileTransfer::updateCrc32(crc, QByteArrayView(digits).sliced(at, qMin<qsizetype>(block, digits.size() - at)));
        // An empty block leaves the running value alone.
        crc = BTfileTransfer::updateCrc32(crc, {});
    }
    QCOMPARE(crc, 0xCBF43926u);
}

void PeerPacketTest::sizeTexts_data()
{
    QTest::addColumn<qint64>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("0") << qint64(0) << "0 bytes";
    QTest::newRow("1023") << qint64(1023) << "1023 bytes";
    QTest::newRow("1024") << qint64(1024) << "1.00 KB";
    QTest::newRow("1536") << qint64(1536) << "1.50 KB";
    QTest::newRow("1048575") << qint64(1048575) << "1024.00 KB";
    QTest::newRow("1048576") << qint64(1048576) << "1.00 MB";
    QTest::newRow("1073741824") << qint64(1073741824) << "1.00 GB";
    QTest::newRow("largest file") << qint64(0x7fffffff) << "2.00 GB";
}

void PeerPacketTest::sizeTexts()
{
    QFETCH(qint64, bytes);
    QFETCH(QString, text);
    QCOMPARE(BTfileTransfer::toSizeText(bytes), text);
}

void PeerPacketTest::etaTexts_data()
{
    QTest::addColumn<float>("seconds");
    QTest::addColumn<QString>("text");
    QTest::newRow("60 seconds") << 60.0f << "ETA: 60.0 secs";
    QTest::newRow("61 seconds") << 61.0f << "ETA: 1.0 mins";
    QTest::newRow("1.5 hours") << 5400.0f << "ETA: 90.0 mins";
    QTest::newRow("behind") << -2.5f << "ETA: -2.5 secs";
}

void PeerPacketTest::etaTexts()
{
    QFETCH(float, seconds);
    QFETCH(QString, text);
    QCOMPARE(BTfileTransfer::etaText(seconds), text);
}

void PeerPacketTest::blockSizes_data()
{
    QTest::addColumn<qint64>("fileSize");
    QTest::addColumn<int>("setting");
    QTest::addColumn<int>("block");
    QTest::newRow("quarter of 100000") << qint64(100000) << 30 << 25000;
    QTest::newRow("1 MiB") << qint64(1048576) << 30 << 30720;
    QTest::newRow("setting 5") << qint64(1048576) << 5 << 5120;
    QTest::newRow("setting above 30") << qint64(1048576) << 1000 << 30720;
    QTest::newRow("setting below 5") << qint64(1048576) << 0 << 5120;
    QTest::newRow("3 bytes") << qint64(3) << 30 << 1;
    QTest::newRow("empty") << qint64(0) << 30 << 1;
}

void PeerPacketTest::blockSizes()
{
    QFETCH(qint64, fileSize);
    QFETCH(int, setting);
    QFETCH(int, block);
    QCOMPARE(BTfileTransfer::blockSizeFor(fileSize, setting), block);
}

void PeerPacketTest::brokenSamplesFailCleanly()
{
    DevLog::setConsoleEnabled(false);
    const QDir folder(TestEnvironment::dataPath(QStringLiteral("peer-broken")));
    const QStringList names = folder.entryList(QDir::Files);
    QVERIFY(!names.isEmpty());
    for (const QString &name : names) {
        QFile file(folder.filePath(name));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        const std::optional<Checked> checked = validateHeader(bytes);
        const bool refused = !checked || (checked->type == PacketFileHeader && !FileHeader::decode(checked->data));
        QVERIFY2(refused, qPrintable(name));
    }
    DevLog::setConsoleEnabled(true);
}

QTEST_GUILESS_MAIN(PeerPacketTest)
#include "peer_packet_test.moc"
