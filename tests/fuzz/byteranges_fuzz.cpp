// libFuzzer target for the Range field parser: the first eight bytes give the body length,
// the rest is the field. Every range accepted must lie inside the body, be non-empty and
// overlap no other.

#include "transfer/ByteRanges.h"

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    quint64 length = 10000;
    if (size >= sizeof(length)) {
        std::memcpy(&length, data, sizeof(length));
        data += sizeof(length);
        size -= sizeof(length);
    }
    const std::optional<QList<ByteRange>> ranges = ByteRanges::parse(QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)), length);
    if (!ranges)
        return 0;
    if (ranges->isEmpty() || ranges->size() > ByteRanges::kMaxRanges)
        std::abort();
    for (qsizetype i = 0; i < ranges->size(); ++i) {
        const ByteRange &range = ranges->at(i);
        if (range.length == 0 || range.start >= length || range.last() >= length)
            std::abort();
        for (qsizetype j = 0; j < i; ++j) {
            if (ranges->at(j).start <= range.last() && range.start <= ranges->at(j).last())
                std::abort();
        }
    }
    return 0;
}
