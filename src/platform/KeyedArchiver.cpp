#include "KeyedArchiver.h"

#include "KeyedArchive.h"
#include "KeyedDictionary.h"

#include <QDateTime>
#include <QHash>

#include <plist/plist.h>

#include <cstdlib>
#include <memory>

namespace {

struct PlistDeleter {
    void operator()(plist_t node) const { plist_free(node); }
};
using PlistPtr = std::unique_ptr<void, PlistDeleter>;

// Builds the "$objects" list. Containers take their slot before their members, so the
// root is always object 1, as other archivers do it.
class GraphWriter {
public:
    GraphWriter() : m_objects(plist_new_array())
    {
        plist_array_append_item(m_objects.get(), plist_new_string("$null"));
    }

    Result<void> encode(const QVariant &value, uint64_t &uid, int depth);
    plist_t releaseObjects() { return m_objects.release(); }

private:
    uint64_t append(plist_t node)
    {
        plist_array_append_item(m_objects.get(), node);
        return plist_array_get_size(m_objects.get()) - 1;
    }
    uint64_t reserveSlot() { return append(plist_new_bool(0)); }
    void fill(uint64_t uid, plist_t node) { plist_array_set_item(m_objects.get(), node, uint32_t(uid)); }
    uint64_t classUid(const char *name);
    uint64_t stringUid(const QString &text);
    Result<void> encodeList(const QVariantList &list, uint64_t uid, int depth);
    Result<void> encodeDictionary(const QList<KeyedDictionary::Entry> &entries, uint64_t uid, int depth);

    PlistPtr m_objects;
    QHash<QByteArray, uint64_t> m_classes;
    // Equal texts are stored once, as other archivers do for their keys and labels.
    QHash<QString, uint64_t> m_strings;
};

uint64_t GraphWriter::classUid(const char *name)
{
    auto found = m_classes.constFind(QByteArray(name));
    if (found != m_classes.constEnd())
        return *found;
    plist_t entry = plist_new_dict();
    plist_dict_set_item(entry, "$classname", plist_new_string(name));
    plist_t classes = plist_new_array();
    plist_array_append_item(classes, plist_new_string(name));
    plist_array_append_item(classes, plist_new_string("NSObject"));
    plist_dict_set_item(entry, "$classes", classes);
    uint64_t uid = append(entry);
    m_classes.insert(QByteArray(name), uid);
    return uid;
}

uint64_t GraphWriter::stringUid(const QString &text)
{
    auto found = m_strings.constFind(text);
    if (found != m_strings.constEnd())
        return *found;
    uint64_t uid = append(plist_new_string(text.toUtf8().constData()));
    m_strings.insert(text, uid);
    return uid;
}

Result<void> GraphWriter::encodeList(const QVariantList &list, uint64_t uid, int depth)
{
    plist_t members = plist_new_array();
    plist_t object = plist_new_dict();
    plist_dict_set_item(object, "NS.objects", members);
    fill(uid, object);
    for (const QVariant &item : list) {
        uint64_t member = 0;
        if (auto r = encode(item, member, depth + 1); !r)
            return r;
        plist_array_append_item(members, plist_new_uid(member));
    }
    plist_dict_set_item(object, "$class", plist_new_uid(classUid("NSArray")));
    return {};
}

Result<void> GraphWriter::encodeDictionary(const QList<KeyedDictionary::Entry> &entries, uint64_t uid, int depth)
{
    plist_t keys = plist_new_array();
    plist_t values = plist_new_array();
    plist_t object = plist_new_dict();
    plist_dict_set_item(object, "NS.keys", keys);
    plist_dict_set_item(object, "NS.objects", values);
    fill(uid, object);
    for (const auto &[key, value] : entries) {
        int type = key.metaType().id();
        if (type != QMetaType::QString && !key.canConvert<qint64>())
            return Error{QStringLiteral("dictionary key of type %1 cannot be archived").arg(QString::fromLatin1(key.typeName()))};
        uint64_t keyUid = 0;
        uint64_t valueUid = 0;
        if (auto r = encode(key, keyUid, depth + 1); !r)
            return r;
        if (auto r = encode(value, valueUid, depth + 1); !r)
            return r;
        plist_array_append_item(keys, plist_new_uid(keyUid));
        plist_array_append_item(values, plist_new_uid(valueUid));
    }
    plist_dict_set_item(object, "$class", plist_new_uid(classUid("NSDictionary")));
    return {};
}

Result<void> GraphWriter::encode(const QVariant &value, uint64_t &uid, int depth)
{
    if (depth > KeyedArchive::kMaxDepth)
        return Error{QStringLiteral("values nested too deeply to archive")};
    switch (value.metaType().id()) {
    case QMetaType::UnknownType:
        uid = 0;
        return {};
    case QMetaType::QString:
        uid = stringUid(value.toString());
        return {};
    case QMetaType::QByteArray: {
        const QByteArray data = value.toByteArray();
        uid = append(plist_new_data(data.constData(), uint64_t(data.size())));
        return {};
    }
    case QMetaType::Bool:
        uid = append(plist_new_bool(value.toBool()));
        return {};
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        // Negative numbers travel as their 64-bit two's complement, as binary lists hold them.
        uid = append(plist_new_uint(uint64_t(value.toLongLong())));
        return {};
    case QMetaType::ULong:
    case QMetaType::ULongLong:
        uid = append(plist_new_uint(value.toULongLong()));
        return {};
    case QMetaType::Double:
    case QMetaType::Float:
        uid = append(plist_new_real(value.toDouble()));
        return {};
    case QMetaType::QDateTime: {
        const QDateTime date = value.toDateTime();
        if (!date.isValid())
            return Error{QStringLiteral("an invalid date cannot be archived")};
        double seconds = double(date.toMSecsSinceEpoch() - KeyedArchive::kEpoch2001 * 1000) / 1000.0;
        plist_t object = plist_new_dict();
        plist_dict_set_item(object, "NS.time", plist_new_real(seconds));
        uid = append(object);
        plist_dict_set_item(object, "$class", plist_new_uid(classUid("NSDate")));
        return {};
    }
    case QMetaType::QVariantList:
    case QMetaType::QStringList:
        uid = reserveSlot();
        return encodeList(value.toList(), uid, depth);
    case QMetaType::QVariantMap: {
        const QVariantMap map = value.toMap();
        QList<KeyedDictionary::Entry> entries;
        entries.reserve(map.size());
        for (auto it = map.begin(); it != map.end(); ++it)
            entries.append({it.key(), it.value()});
        uid = reserveSlot();
        return encodeDictionary(entries, uid, depth);
    }
    default:
        if (isKeyedDictionary(value)) {
            uid = reserveSlot();
            return encodeDictionary(value.value<KeyedDictionary>().entries(), uid, depth);
        }
        return Error{QStringLiteral("values of type %1 cannot be archived").arg(QString::fromLatin1(value.typeName()))};
    }
}

} // namespace

Result<QByteArray> KeyedArchiver::archivedData(const QVariant &root)
{
    GraphWriter writer;
    uint64_t rootUid = 0;
    if (auto r = writer.encode(root, rootUid, 0); !r)
        return Error{r.error()};

    PlistPtr archive(plist_new_dict());
    plist_dict_set_item(archive.get(), "$version", plist_new_uint(KeyedArchive::kVersion));
    plist_dict_set_item(archive.get(), "$archiver", plist_new_string("NSKeyedArchiver"));
    plist_t top = plist_new_dict();
    plist_dict_set_item(top, "root", plist_new_uid(rootUid));
    plist_dict_set_item(archive.get(), "$top", top);
    plist_dict_set_item(archive.get(), "$objects", writer.releaseObjects());

    char *bytes = nullptr;
    uint32_t length = 0;
    plist_to_bin(archive.get(), &bytes, &length);
    if (!bytes)
        return Error{QStringLiteral("the archive could not be written")};
    QByteArray data(bytes, qsizetype(length));
    std::free(bytes);
    return data;
}
