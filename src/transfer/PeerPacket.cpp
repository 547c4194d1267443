#include "PeerPacket.h"

#include "platform/DevLog.h"

#include <QtEndian>

namespace PeerPacket {

namespace {

const uint8_t kMagic0 = 0xF0;
const uint8_t kMagic1 = 0xDA;
const uint8_t kVersion = 1;
const int kFileHeaderFixed = 16; // sizes, L and the closing zero word

uint32_t readWord(QByteArrayView bytes, qsizetype offset)
{
    return qFromLittleEndian<uint32_t>(bytes.data() + offset);
}

void logCheck(const char *what)
{
    DevLog::log(QStringLiteral("-[BTfileTransfer validateHeader::::] ") + QLatin1String(what));
}

void logRefused(const QString &why)
{
    DevLog::log(QStringLiteral("-[BTfileTransfer srvReceiveData:] file header refused: ") + why);
}

// Files of the program itself (settings, rules, logs, flags) are never replaced by a peer.
bool isProgramFile(const QString &name)
{
    const QString lower = name.toLower();
    return lower.endsWith(QLatin1String(".plist")) || lower.endsWith(QLatin1String(".log"))
           || lower.endsWith(QLatin1String(".flag"));
}

} // namespace

void build(QByteArray &packet, uint8_t type, uint32_t sequence, QByteArrayView data)
{
    packet.resize(kHeaderLength + data.size());
    char *out = packet.data();
    out[0] = char(kMagic0);
    out[1] = char(kMagic1);
    out[2] = char(kVersion);
    out[3] = char(type);
    qToLittleEndian<uint32_t>(kHeaderLength, out + 4);
    qToLittleEndian<uint32_t>(uint32_t(data.size()), out + 8);
    qToLittleEndian<uint32_t>(sequence, out + 12);
    if (!data.isEmpty())
        memcpy(out + kHeaderLength, data.data(), size_t(data.size()));
}

QByteArray build(uint8_t type, uint32_t sequence, QByteArrayView data)
{
    QByteArray packet;
    build(packet, type, sequence, data);
    return packet;
}

std::optional<Checked> validateHeader(QByteArrayView packet)
{
    if (packet.size() < kHeaderLength) {
        logCheck("len < min");
        return std::nullopt;
    }
    if (uint8_t(packet[0]) != kMagic0 || uint8_t(packet[1]) != kMagic1) {
        logCheck("invalid magic");
        return std::nullopt;
    }
    if (uint8_t(packet[2]) != kVersion) {
        logCheck("invalid version");
        return std::nullopt;
    }
    // 64-bit sum: two large 32-bit lengths must not wrap round to the packet's size.
    const uint64_t headerLength = readWord(packet, 4);
    const uint64_t dataLength = readWord(packet, 8);
    if (headerLength + dataLength != uint64_t(packet.size())) {
        logCheck("invalid size");
        return std::nullopt;
    }
    Checked checked;
    checked.type = uint8_t(packet[3]);
    checked.dataLength = uint32_t(dataLength);
    checked.sequence = readWord(packet, 12);
    checked.data = packet.sliced(qsizetype(headerLength));
    return checked;
}

QByteArray FileHeader::encode() const
{
    const QByteArray utf8 = name.toUtf8();
    QByteArray record(kFileHeaderFixed + utf8.size(), '\0');
    qToLittleEndian<int32_t>(fileSize, record.data());
    qToLittleEndian<int32_t>(blockSize, record.data() + 4);
    qToLittleEndian<uint32_t>(uint32_t(utf8.size()), record.data() + 8);
    memcpy(record.data() + 12, utf8.constData(), size_t(utf8.size()));
    return record;
}

std::optional<FileHeader> FileHeader::decode(QByteArrayView data)
{
    if (data.size() < kFileHeaderFixed - 4) {
        logRefused(QStringLiteral("record of %1 bytes").arg(data.size()));
        return std::nullopt;
    }
    FileHeader header;
    header.fileSize = qFromLittleEndian<int32_t>(data.data());
    header.blockSize = qFromLittleEndian<int32_t>(data.data() + 4);
    const uint64_t length = readWord(data, 8);
    if (12 + length > uint64_t(data.size())) {
        logRefused(QStringLiteral("name length %1 in a record of %2 bytes").arg(length).arg(data.size()));
        return std::nullopt;
    }
    if (header.fileSize < 0 || header.blockSize < 0) {
        logRefused(QStringLiteral("sizes %1 and %2").arg(header.fileSize).arg(header.blockSize));
        return std::nullopt;
    }
    const QByteArrayView bytes = data.sliced(12, qsizetype(length));
    if (bytes.contains('\0')) {
        logRefused(QStringLiteral("a NUL in the name"));
        return std::nullopt;
    }
    // Only a plain file name in the documents folder: the last path component.
    QString name = QString::fromUtf8(bytes);
    name = name.mid(name.lastIndexOf(QLatin1Char('/')) + 1);
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..") || isProgramFile(name)) {
        logRefused(QStringLiteral("name \"%1\"").arg(QString::fromUtf8(bytes)));
        return std::nullopt;
    }
    header.name = name;
    return header;
}

} // namespace PeerPacket
