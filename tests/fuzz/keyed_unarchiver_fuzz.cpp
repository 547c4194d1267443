// Any bytes must give a value or an Error, never a crash, a hang or an unbounded allocation.
// What reads back must archive again and read back. The same bytes as a file, read item by
// item as a plain list of data, must give the items the whole-archive reader gives (when it
// reads them at all: it also refuses damage in objects the list does not use).

#include "platform/KeyedArchiver.h"
#include "platform/KeyedDataListReader.h"
#include "platform/KeyedDictionary.h"
#include "platform/KeyedUnarchiver.h"

#include <QTemporaryFile>

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

void readAsDataList(const QByteArray &bytes, const Result<QVariant> &whole)
{
    QTemporaryFile file;
    if (!file.open() || file.write(bytes) != bytes.size() || !file.flush())
        return;
    std::unique_ptr<KeyedDataListReader> list = KeyedDataListReader::open(file.fileName());
    if (!list || !whole)
        return;
    const QVariantList items = whole->toList();
    if (whole->metaType().id() != QMetaType::QVariantList || items.size() != list->count())
        std::abort();
    KeyedDataListReader::Window window;
    for (qsizetype i = 0; i < list->count(); ++i) {
        if (list->item(i, window) != std::optional<QByteArray>(items[i].toByteArray()))
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    Result<QVariant> value = KeyedUnarchiver::unarchive(bytes);
    readAsDataList(bytes, value);
    int budget = 10000;
    if (!value || !smallTree(*value, budget))
        return 0;
    Result<QByteArray> again = KeyedArchiver::archivedData(*value);
    if (again && !KeyedUnarchiver::unarchive(*again))
        std::abort();
    return 0;
}
