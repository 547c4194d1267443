// libFuzzer target: property lists in any form (XML, binary, broken). Any bytes give a value or
// an Error; a value read back must be written in both forms and read again.

#include "platform/PropertyList.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    Result<QVariant> root = PropertyList::read(bytes);
    if (!root)
        return 0;
    for (const QByteArray &again : {PropertyList::writeXml(*root), PropertyList::writeBinary(*root)}) {
        if (!again.isEmpty() && !PropertyList::read(again))
            __builtin_trap();
    }
    return 0;
}
