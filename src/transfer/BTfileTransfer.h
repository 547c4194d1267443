#pragma once

#include "PeerPacket.h"

#include <QByteArray>
#include <QFile>
#include <QObject>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <functional>

class BTfileTransferDelegate;

// One file sent or received over a peer session, block by block, each packet answered before
// the next goes. The sender reads a file of the documents folder; the receiver writes
// NAME.part there and gives it its name only once the CRC-32 of all blocks matched. A
// watchdog ends a transfer that has seen no packet for more than 20 seconds.
class BTfileTransfer : public QObject {
    Q_OBJECT
public:
    // Seconds since the epoch; tests pass a clock of their own.
    using Clock = std::function<qint64()>;

    BTfileTransfer(BTfileTransferDelegate *delegate, bool isServer, Clock clock = {}, QObject *parent = nullptr);
    ~BTfileTransfer() override;

    // Stops the watchdog (the owner goes away).
    void done();
    // Closes an open file; the receiver deletes its partial file. Disarms the watchdog.
    void cleanup();
    // The peer went away: "Interrupted" and cleanup when a file is open.
    void disconnected();

    // The file to send (a name in the documents folder, or a path): its size, the block size
    // and the file label. False, with an error alert, for a file of 2 GiB or more, which the
    // header's signed 32-bit sizes cannot announce. The receiver keeps the path only.
    bool setFile(const QString &name);
    void sendFileHeader();
    // Every packet the session delivers.
    void receiveData(const QByteArray &packet);
    // The ten-second tick (also called by tests with a clock moved on).
    void watchDog();

    bool isServer() const { return _isServer; }
    // A transfer runs exactly while a file is open.
    bool fh() const { return _fh.isOpen(); }
    const QString &filename() const { return _filename; }
    int32_t fileSize() const { return _fileSize; }
    int32_t blockSize() const { return _blockSize; }

    // The block size for a file: the setting (KiB, kept within 5..30), at most a quarter of
    // the file, at least 1 byte.
    static int32_t blockSizeFor(qint64 fileSize, int settingKiB);
    // "%d bytes", "%.2f KB", "%.2f MB", "%.2f GB" in binary units.
    static QString toSizeText(qint64 bytes);
    // The estimate line for seconds left: seconds up to 60, minutes above.
    static QString etaText(float secondsLeft);
    // The running CRC-32 (zlib's): 0 to start, updated block by block.
    static uint32_t updateCrc32(uint32_t crc, QByteArrayView bytes);

    static constexpr int kWatchDogInterval = 10; // seconds
    static constexpr int kPacketTimeout = 20;    // seconds without a packet that are tolerated

Q_SIGNALS:
    // The receiver gave a file its final name (a path in the documents folder).
    void fileReceived(const QString &path);

private:
    enum class SendState { Idle, HeaderSent, Sending, Stalled, EndSent };

    void srvReceiveData(const PeerPacket::Checked &packet);
    void cliReceiveData(const PeerPacket::Checked &packet);
    void receiveFileHeader(const PeerPacket::Checked &packet);
    void receiveBlock(const PeerPacket::Checked &packet);
    void receiveEnd(const PeerPacket::Checked &packet);
    bool storeReceivedFile();
    void sendFile();
    void sendNetworkPacket(uint8_t type, uint32_t sequence, QByteArrayView data = {});
    void showProgress(int current);
    void showFinalTimes();
    void closeFile();
    void removePartialFile();
    qint64 now() const { return m_clock(); }

    BTfileTransferDelegate *_delegate;
    QString _filename;
    QTimer _timer;
    bool _isServer;
    QFile _fh;
    uint32_t _crc32 = 0;
    qint64 _timestart = 0;
    qint64 _lastpacket = 0; // 0: no transfer is watched
    int32_t _fileSize = 0;
    int32_t _blockSize = 0;
    uint32_t _sequence = 0;
    SendState m_sendState = SendState::Idle;
    Clock m_clock;
    QByteArray m_readBuffer;
    QByteArray m_sendBuffer;
    // The sender reads each block while the one before it travels: the answer finds it ready.
    void readNextBlock();
    qint64 m_nextCount = 0;    // what the read gave: bytes, 0 at the end, -1 on an error
    QByteArray m_nextPacket;   // the data packet of those bytes, built
    // The receiver answers a block before storing it; one that could not be stored ends the answers.
    bool m_writeFailed = false;
};
