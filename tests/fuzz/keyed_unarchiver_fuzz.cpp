// Any bytes must give a value or an Error, never a crash, a hang or an unbounded allocation.
// What reads back must archive again and read back.

#include "platform/KeyedArchiver.h"
#include "platform/KeyedDictionary.h"
#include "platform/KeyedUnarchiver.h"

#include <cstdint>
#include <cstdlib>

namespace {

// The reader shares repeated references; written out again they are copies, which can
// grow without bound. Only trees of a modest size are written again.
bool smallTree(const QVariant &value, int &budget)
{
    if (--budget < 0)
        return false;
    if (value.metaType().id() == QMetaType::QVariantList) {
        for (const QVariant &item : value.toList()) {
            if (!smallTree(item, budget))
                return false;
        }
    } else if (isKeyedDictionary(value)) {
        const KeyedDictionary dictionary = value.value<KeyedDictionary>();
        for (const auto &[key, item] : dictionary.entries()) {
            if (!smallTree(key, budget) || !smallTree(item, budget))
                return false;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    Result<QVariant> value = KeyedUnarchiver::unarchive(bytes);
    int budget = 10000;
    if (!value || !smallTree(*value, budget))
        return 0;
    Result<QByteArray> again = KeyedArchiver::archivedData(*value);
    if (again && !KeyedUnarchiver::unarchive(*again))
        std::abort();
    return 0;
}
