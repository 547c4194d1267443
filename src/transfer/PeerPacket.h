#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <optional>

// The packets of the peer file transfer: a 16-byte header (magic F0 DA, version 1, type,
// header length, data length, sequence; integers 32-bit little-endian) followed by the data.
// Building and checking are pure functions over bytes.
namespace PeerPacket {

enum Type : uint8_t {
    PacketAck = 1,
    PacketEnd = 2,
    PacketFileHeader = 3,
    PacketData = 4,
    PacketReceived = 5,
    PacketCRCError = 6,
};

inline constexpr int kHeaderLength = 16;
// The most file bytes one data packet carries (30 KiB).
inline constexpr int kMaxBlockSize = 30720;

// Writes the header and the data into `packet` (resized, its storage reused between calls).
void build(QByteArray &packet, uint8_t type, uint32_t sequence, QByteArrayView data = {});
QByteArray build(uint8_t type, uint32_t sequence, QByteArrayView data = {});

struct Checked {
    uint8_t type = 0;
    uint32_t dataLength = 0;
    uint32_t sequence = 0;
    QByteArrayView data; // points into the checked packet
};

// Checks magic, version and sizes. A malformed packet gives none and its log line
// ("-[BTfileTransfer validateHeader::::] len < min", "… invalid magic", "… invalid version",
// "… invalid size") is written to the developer log.
std::optional<Checked> validateHeader(QByteArrayView packet);

// The data of a file header packet: sizes and the file's name.
struct FileHeader {
    int32_t fileSize = 0;
    int32_t blockSize = 0;
    QString name;

    // 16 + L bytes: size, block size, L, the name in UTF-8, a zero word.
    QByteArray encode() const;
    // The header with its name reduced to the last path component. None (with a log line)
    // when the record is too short, L does not fit, a size is negative, or the name is
    // empty, ".", "..", holds a NUL, or names one of the program's own files.
    static std::optional<FileHeader> decode(QByteArrayView data);
};

} // namespace PeerPacket
