// libFuzzer target: the peer transfer's packet check and file header record, and the
// session's framing and hello, over any bytes.

#include "platform/DevLog.h"
#include "transfer/PeerFraming.h"
#include "transfer/PeerPacket.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    DevLog::setConsoleEnabled(false);
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    if (const std::optional<PeerPacket::Checked> packet = PeerPacket::validateHeader(bytes)) {
        // The data lies inside the packet and is as long as announced.
        if (packet->data.size() != qsizetype(packet->dataLength) || packet->data.data() < bytes.data()
            || packet->data.data() + packet->data.size() > bytes.data() + bytes.size())
            __builtin_trap();
        if (const std::optional<PeerPacket::FileHeader> header = PeerPacket::FileHeader::decode(packet->data)) {
            // Only a plain name in the documents folder.
            if (header->name.isEmpty() || header->name.contains(QLatin1Char('/')) || header->name == QLatin1String(".."))
                __builtin_trap();
        }
    }
    (void)PeerPacket::FileHeader::decode(bytes);
    (void)PeerFraming::checkHello(bytes);

    PeerFraming::Reader reader;
    QByteArray message;
    for (qsizetype at = 0; at < bytes.size(); at += 5) {
        reader.append(bytes.sliced(at, qMin<qsizetype>(5, bytes.size() - at)));
        while (reader.next(message) == PeerFraming::Reader::Next::Message) {
            if (message.isEmpty() || quint32(message.size()) > PeerFraming::kMaxMessage)
                __builtin_trap();
        }
    }
    return 0;
}
