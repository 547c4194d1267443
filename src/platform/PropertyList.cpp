#include "PropertyList.h"

#include "BinaryPlistCheck.h"

#include <QDateTime>

#include <plist/plist.h>

#include <cstdlib>
#include <memory>

namespace {

// Seconds between 1970-01-01 and 2001-01-01, the property-list epoch.
constexpr qint64 kEpoch2001 = 978307200;
constexpr int kMaxDepth = 64;

struct PlistDeleter {
    void operator()(plist_t node) const { plist_free(node); }
};
using PlistPtr = std::unique_ptr<void, PlistDeleter>;

plist_t toNode(const QVariant &value)
{
    switch (value.metaType().id()) {
    case QMetaType::QVariantMap: {
        plist_t dict = plist_new_dict();
        const QVariantMap map = value.toMap();
        for (auto it = map.begin(); it != map.end(); ++it)
            plist_dict_set_item(dict, it.key().toUtf8().constData(), toNode(it.value()));
        return dict;
    }
    case QMetaType::QVariantList:
    case QMetaType::QStringList: {
        plist_t array = plist_new_array();
        for (const QVariant &item : value.toList())
            plist_array_append_item(array, toNode(item));
        return array;
    }
    case QMetaType::Bool: return plist_new_bool(value.toBool());
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong: return plist_new_uint(uint64_t(value.toLongLong()));
    case QMetaType::Double:
    case QMetaType::Float: return plist_new_real(value.toDouble());
    case QMetaType::QDateTime: {
        qint64 ms = value.toDateTime().toMSecsSinceEpoch() - kEpoch2001 * 1000;
        qint64 sec = ms >= 0 ? ms / 1000 : -((-ms + 999) / 1000);
        return plist_new_date(int32_t(sec), int32_t((ms - sec * 1000) * 1000));
    }
    case QMetaType::QByteArray: {
        QByteArray data = value.toByteArray();
        return plist_new_data(data.constData(), uint64_t(data.size()));
    }
    default: return plist_new_string(value.toString().toUtf8().constData());
    }
}

Result<QVariant> fromNode(plist_t node, int depth)
{
    if (depth > kMaxDepth)
        return Error{QStringLiteral("property list nested too deeply")};
    switch (plist_get_node_type(node)) {
    case PLIST_DICT: {
        QVariantMap map;
        plist_dict_iter it = nullptr;
        plist_dict_new_iter(node, &it);
        for (;;) {
            char *key = nullptr;
            plist_t item = nullptr;
            plist_dict_next_item(node, it, &key, &item);
            if (!item) {
                free(key);
                break;
            }
            Result<QVariant> converted = fromNode(item, depth + 1);
            QString name = QString::fromUtf8(key);
            free(key);
            if (!converted) {
                free(it);
                return converted;
            }
            map.insert(name, *converted);
        }
        free(it);
        return QVariant(map);
    }
    case PLIST_ARRAY: {
        QVariantList list;
        uint32_t n = plist_array_get_size(node);
        for (uint32_t i = 0; i < n; ++i) {
            Result<QVariant> converted = fromNode(plist_array_get_item(node, i), depth + 1);
            if (!converted)
                return converted;
            list.append(*converted);
        }
        return QVariant(list);
    }
    case PLIST_STRING: {
        // By pointer and length: libplist's copying getter aborts on a string that holds a NUL
        // byte, which an outside file may well contain.
        uint64_t length = 0;
        const char *text = plist_get_string_ptr(node, &length);
        return QVariant(text ? QString::fromUtf8(text, qsizetype(length)) : QString());
    }
    case PLIST_BOOLEAN: {
        uint8_t b = 0;
        plist_get_bool_val(node, &b);
        return QVariant(bool(b));
    }
    case PLIST_UINT: {
        uint64_t n = 0;
        plist_get_uint_val(node, &n);
        return QVariant(qint64(n));
    }
    case PLIST_REAL: {
        double d = 0;
        plist_get_real_val(node, &d);
        return QVariant(d);
    }
    case PLIST_DATE: {
        int32_t sec = 0, usec = 0;
        plist_get_date_val(node, &sec, &usec);
        return QVariant(QDateTime::fromMSecsSinceEpoch((qint64(sec) + kEpoch2001) * 1000 + usec / 1000, Qt::UTC));
    }
    case PLIST_DATA: {
        char *data = nullptr;
        uint64_t length = 0;
        plist_get_data_val(node, &data, &length);
        QByteArray bytes(data, qsizetype(length));
        free(data);
        return QVariant(bytes);
    }
    default:
        return Error{QStringLiteral("unsupported property list value")};
    }
}

} // namespace

namespace {

// The parsed root node; binary lists are checked first, since libplist recurses once per
// level and aborts on some damaged texts.
Result<PlistPtr> parse(const QByteArray &bytes)
{
    plist_t root = nullptr;
    if (bytes.size() >= 8 && plist_is_binary(bytes.constData(), uint32_t(bytes.size()))) {
        if (Result<void> sound = BinaryPlistCheck::check(bytes, kMaxDepth); !sound)
            return Error{sound.error()};
        plist_from_bin(bytes.constData(), uint32_t(bytes.size()), &root);
    }
    else if (!bytes.isEmpty())
        plist_from_xml(bytes.constData(), uint32_t(bytes.size()), &root);
    if (!root)
        return Error{QStringLiteral("not a property list")};
    return PlistPtr(root);
}

QByteArray toXml(plist_t node)
{
    char *xml = nullptr;
    uint32_t length = 0;
    plist_to_xml(node, &xml, &length);
    QByteArray bytes(xml, qsizetype(length));
    free(xml);
    return bytes;
}

} // namespace

Result<QVariant> PropertyList::read(const QByteArray &bytes)
{
    Result<PlistPtr> root = parse(bytes);
    if (!root)
        return Error{root.error()};
    return fromNode(root->get(), 0);
}

Result<PropertyList::Entries> PropertyList::readDictionaryEntries(const QByteArray &bytes)
{
    Result<PlistPtr> root = parse(bytes);
    if (!root)
        return Error{root.error()};
    plist_t dict = root->get();
    if (plist_get_node_type(dict) != PLIST_DICT)
        return Error{QStringLiteral("the root is not a dictionary")};
    Entries entries;
    plist_dict_iter it = nullptr;
    plist_dict_new_iter(dict, &it);
    for (;;) {
        char *key = nullptr;
        plist_t item = nullptr;
        plist_dict_next_item(dict, it, &key, &item);
        if (!item) {
            free(key);
            break;
        }
        Result<QVariant> converted = fromNode(item, 1);
        const QString name = QString::fromUtf8(key);
        free(key);
        if (!converted) {
            free(it);
            return Error{converted.error()};
        }
        entries.append({name, *converted});
    }
    free(it);
    return entries;
}

QByteArray PropertyList::writeXmlDictionary(const Entries &entries)
{
    PlistPtr dict(plist_new_dict());
    for (const auto &[key, value] : entries)
        plist_dict_set_item(dict.get(), key.toUtf8().constData(), toNode(value));
    return toXml(dict.get());
}

QByteArray PropertyList::writeXml(const QVariant &root)
{
    PlistPtr node(toNode(root));
    return toXml(node.get());
}

QByteArray PropertyList::writeBinary(const QVariant &root)
{
    PlistPtr node(toNode(root));
    char *bin = nullptr;
    uint32_t length = 0;
    plist_to_bin(node.get(), &bin, &length);
    QByteArray bytes(bin, qsizetype(length));
    free(bin);
    return bytes;
}
