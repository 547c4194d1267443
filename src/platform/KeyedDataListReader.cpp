#include "KeyedDataListReader.h"

#include "ReadAt.h"
#include "Threads.h"

namespace {

quint64 bigEndian(const QByteArray &bytes, qsizetype from, int width)
{
    quint64 value = 0;
    for (int i = 0; i < width; ++i)
        value = (value << 8) | quint8(bytes[from + i]);
    return value;
}

bool isWidth(int width)
{
    return width == 1 || width == 2 || width == 4 || width == 8;
}

constexpr quint64 kWindowSize = 256 * 1024;
constexpr quint64 kLookBehind = 16 * 1024;
// Lists shorter than this are checked on one thread.
constexpr size_t kItemsCheckedAlone = 4096;
constexpr quint8 kData = 0x4;
constexpr quint8 kAscii = 0x5;
constexpr quint8 kUid = 0x8;
constexpr quint8 kArray = 0xA;
constexpr quint8 kDictionary = 0xD;

} // namespace

std::unique_ptr<KeyedDataListReader> KeyedDataListReader::open(const QString &path)
{
    std::unique_ptr<KeyedDataListReader> reader(new KeyedDataListReader(path));
    if (!reader->m_file.open(QIODevice::ReadOnly | QIODevice::Unbuffered) || !reader->readLayout())
        return nullptr;
    return reader;
}

std::optional<QByteArray> KeyedDataListReader::bytesAt(quint64 at, quint64 size, Window &window) const
{
    // Objects lie between the header and the offset table.
    if (at < 8 || at > m_tableOffset || size > m_tableOffset - at)
        return std::nullopt;
    const bool inWindow = at >= window.at && at + size <= window.at + quint64(window.bytes.size());
    if (!inWindow) {
        // Items and their references follow one another: one read serves many of them. The
        // window reaches back a little, as an item's data lies just before the UID that names
        // it and is read after it; the same buffer serves every read.
        const quint64 from = at - qMin(at - 8, kLookBehind);
        const quint64 length = qMin(qMax(size + (at - from), kWindowSize), m_tableOffset - from);
        window.bytes.resize(qsizetype(length));
        window.at = from;
        if (readAt(m_file.handle(), window.bytes.data(), qint64(length), qint64(from)) != qint64(length)) {
            window.bytes.clear();
            return std::nullopt;
        }
    }
    return window.bytes.sliced(qsizetype(at - window.at), qsizetype(size));
}

std::optional<KeyedDataListReader::Object> KeyedDataListReader::objectAt(quint64 ref, Window &window) const
{
    if (ref >= m_offsets.size())
        return std::nullopt;
    const quint64 at = m_offsets[ref];
    const std::optional<QByteArray> head = bytesAt(at, qMin<quint64>(10, m_tableOffset - qMin(at, m_tableOffset)), window);
    if (!head || head->isEmpty())
        return std::nullopt;
    const quint8 marker = quint8(head->at(0));
    Object object{quint8(marker >> 4), quint64(marker & 0x0F), at + 1};
    if (object.kind == kUid) {
        object.count = (marker & 0x0F) + 1; // the UID's width
        return object;
    }
    if (object.count == 0x0F) {
        // A count of 15 or more follows as an integer object.
        if (head->size() < 2 || (quint8(head->at(1)) >> 4) != 0x1)
            return std::nullopt;
        const int width = 1 << (quint8(head->at(1)) & 0x0F);
        if (width > 8 || head->size() < 2 + width)
            return std::nullopt;
        object.count = bigEndian(*head, 2, width);
        object.contentAt = at + 2 + quint64(width);
    }
    return object;
}

std::optional<std::vector<quint64>> KeyedDataListReader::referencesOf(const Object &container, quint64 count, Window &window) const
{
    if (count > (m_tableOffset / quint64(m_refSize)))
        return std::nullopt;
    const std::optional<QByteArray> bytes = bytesAt(container.contentAt, count * quint64(m_refSize), window);
    if (!bytes)
        return std::nullopt;
    std::vector<quint64> references(count);
    for (quint64 i = 0; i < count; ++i) {
        references[i] = bigEndian(*bytes, qsizetype(i) * m_refSize, m_refSize);
        if (references[i] >= m_offsets.size())
            return std::nullopt;
    }
    return references;
}

std::optional<quint64> KeyedDataListReader::uidAt(quint64 ref, Window &window) const
{
    const std::optional<Object> object = objectAt(ref, window);
    if (!object || object->kind != kUid)
        return std::nullopt;
    const std::optional<QByteArray> bytes = bytesAt(object->contentAt, object->count, window);
    if (!bytes)
        return std::nullopt;
    return bigEndian(*bytes, 0, int(object->count));
}

std::optional<QByteArray> KeyedDataListReader::asciiAt(quint64 ref, Window &window) const
{
    const std::optional<Object> object = objectAt(ref, window);
    if (!object || object->kind != kAscii || object->count > 64)
        return std::nullopt;
    return bytesAt(object->contentAt, object->count, window);
}

std::optional<QHash<QByteArray, quint64>> KeyedDataListReader::dictionaryAt(quint64 ref, Window &window) const
{
    const std::optional<Object> object = objectAt(ref, window);
    if (!object || object->kind != kDictionary || object->count > 16)
        return std::nullopt;
    const std::optional<std::vector<quint64>> references = referencesOf(*object, object->count * 2, window);
    if (!references)
        return std::nullopt;
    QHash<QByteArray, quint64> entries;
    for (quint64 i = 0; i < object->count; ++i) {
        const std::optional<QByteArray> key = asciiAt((*references)[i], window);
        if (!key || entries.contains(*key))
            return std::nullopt;
        entries.insert(*key, (*references)[object->count + i]);
    }
    return entries;
}

std::optional<quint64> KeyedDataListReader::objectOfUid(quint64 uid) const
{
    if (uid >= m_objects.size())
        return std::nullopt;
    return m_objects[uid];
}

bool KeyedDataListReader::readLayout()
{
    const quint64 size = quint64(m_file.size());
    if (size < 8 + 32 || m_file.read(8) != "bplist00" || !m_file.seek(qint64(size - 32)))
        return false;
    const QByteArray trailer = m_file.read(32);
    if (trailer.size() != 32)
        return false;
    const int offsetSize = quint8(trailer[6]);
    m_refSize = quint8(trailer[7]);
    const quint64 objectCount = bigEndian(trailer, 8, 8);
    const quint64 top = bigEndian(trailer, 16, 8);
    m_tableOffset = bigEndian(trailer, 24, 8);
    if (!isWidth(offsetSize) || !isWidth(m_refSize) || objectCount == 0 || top >= objectCount || m_tableOffset < 8
        || m_tableOffset > size - 32 || objectCount > (size - 32 - m_tableOffset) / quint64(offsetSize)
        || !m_file.seek(qint64(m_tableOffset)))
        return false;
    const QByteArray table = m_file.read(qint64(objectCount * quint64(offsetSize)));
    if (quint64(table.size()) != objectCount * quint64(offsetSize))
        return false;
    m_offsets.resize(objectCount);
    for (quint64 i = 0; i < objectCount; ++i)
        m_offsets[i] = bigEndian(table, qsizetype(i) * offsetSize, offsetSize);

    Window window;
    // {"$archiver": "NSKeyedArchiver", "$version": …, "$top": {"root": UID}, "$objects": […]}
    const auto archive = dictionaryAt(top, window);
    if (!archive || archive->size() != 4 || !archive->contains("$version") || asciiAt(archive->value("$archiver"), window) != "NSKeyedArchiver")
        return false;
    const std::optional<Object> version = objectAt(archive->value("$version"), window);
    if (!version || version->kind != 0x1)
        return false;
    const std::optional<Object> objects = objectAt(archive->value("$objects"), window);
    const auto topEntries = dictionaryAt(archive->value("$top"), window);
    if (!objects || objects->kind != kArray || !topEntries || topEntries->size() != 1 || !topEntries->contains("root"))
        return false;
    const auto objectRefs = referencesOf(*objects, objects->count, window);
    const std::optional<quint64> rootUid = uidAt(topEntries->value("root"), window);
    if (!objectRefs || objectRefs->empty() || asciiAt(objectRefs->front(), window) != "$null" || !rootUid)
        return false;
    m_objects = std::move(*objectRefs);

    // The root: {"NS.objects": [UID…], "$class": UID of {"$classname": "NSArray" or "NSMutableArray", …}}
    const std::optional<quint64> rootRef = objectOfUid(*rootUid);
    const auto root = rootRef ? dictionaryAt(*rootRef, window) : std::nullopt;
    if (!root || root->size() != 2 || !root->contains("NS.objects") || !root->contains("$class"))
        return false;
    const std::optional<quint64> classUid = uidAt(root->value("$class"), window);
    const std::optional<quint64> classRef = classUid ? objectOfUid(*classUid) : std::nullopt;
    const auto classEntry = classRef ? dictionaryAt(*classRef, window) : std::nullopt;
    if (!classEntry || !classEntry->contains("$classname"))
        return false;
    const std::optional<QByteArray> className = asciiAt(classEntry->value("$classname"), window);
    if (className != "NSArray" && className != "NSMutableArray")
        return false;
    const std::optional<Object> list = objectAt(root->value("NS.objects"), window);
    const auto members = list && list->kind == kArray ? referencesOf(*list, list->count, window) : std::nullopt;
    if (!members)
        return false;

    // Every item is a UID of a data object: anything else is read the general way. That means
    // reading the whole file: the two halves of a long list are read at once.
    m_items.resize(members->size());
    if (members->size() < kItemsCheckedAlone)
        return placeItems(*members, 0, members->size(), window);
    const size_t half = members->size() / 2;
    bool firstHalfPlaced = false;
    bool secondHalfPlaced = false;
    Threads::bothAtOnce([&] { firstHalfPlaced = placeItems(*members, 0, half, window); },
                        [&] {
                            Window own;
                            secondHalfPlaced = placeItems(*members, half, members->size(), own);
                        });
    return firstHalfPlaced && secondHalfPlaced;
}

bool KeyedDataListReader::placeItems(const std::vector<quint64> &members, size_t from, size_t to, Window &window)
{
    for (size_t i = from; i < to; ++i) {
        const std::optional<quint64> uid = uidAt(members[i], window);
        const std::optional<quint64> ref = uid ? objectOfUid(*uid) : std::nullopt;
        const std::optional<Object> data = ref ? objectAt(*ref, window) : std::nullopt;
        if (!data || data->kind != kData || data->contentAt > m_tableOffset || data->count > m_tableOffset - data->contentAt)
            return false;
        m_items[i] = {data->contentAt, data->count};
    }
    return true;
}

std::optional<QByteArray> KeyedDataListReader::item(qsizetype index, Window &window) const
{
    if (index < 0 || index >= count())
        return std::nullopt;
    return bytesAt(m_items[size_t(index)].at, m_items[size_t(index)].size, window);
}
