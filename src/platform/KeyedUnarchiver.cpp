#include "KeyedUnarchiver.h"

#include "BinaryPlistCheck.h"
#include "KeyedArchive.h"
#include "KeyedDictionary.h"

#include <QDateTime>

#include <plist/plist.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

namespace {

struct PlistDeleter {
    void operator()(plist_t node) const { plist_free(node); }
};
using PlistPtr = std::unique_ptr<void, PlistDeleter>;

// Dates further than this from 2001 are not dates anyone stored (QDateTime's range is wider,
// but a corrupt NS.time must not turn into an absurd value).
constexpr double kMaxSeconds = 1.0e11;

Error bad(const char *why)
{
    return Error{QStringLiteral("not a readable keyed archive: %1").arg(QLatin1String(why))};
}

QByteArray stringOf(plist_t node)
{
    uint64_t length = 0;
    const char *text = plist_get_string_ptr(node, &length);
    return text ? QByteArray(text, qsizetype(length)) : QByteArray();
}

// The members of an array in order. libplist finds the n-th member of a parsed array by
// walking the list, so every access by index would cost as much as the index.
std::vector<plist_t> itemsOf(plist_t array)
{
    std::vector<plist_t> items;
    items.reserve(plist_array_get_size(array));
    plist_array_iter iterator = nullptr;
    plist_array_new_iter(array, &iterator);
    for (;;) {
        plist_t item = nullptr;
        plist_array_next_item(array, iterator, &item);
        if (!item)
            break;
        items.push_back(item);
    }
    std::free(iterator);
    return items;
}

bool isString(plist_t node, const char *expected)
{
    return node && plist_get_node_type(node) == PLIST_STRING && stringOf(node) == expected;
}

// Decodes objects of "$objects" by UID. Each object is decoded once and remembered, so
// shared references cost nothing more and the result never outgrows the input; an object
// met again while it is being decoded is a cycle.
class GraphReader {
public:
    explicit GraphReader(plist_t objects)
        : m_objects(itemsOf(objects)), m_count(m_objects.size()), m_values(m_count), m_state(m_count, Unvisited)
    {
    }

    Result<QVariant> decode(plist_t reference, int depth);

private:
    enum State : unsigned char { Unvisited, InProgress, Done };

    Result<QVariant> decodeObject(uint64_t uid, int depth);
    Result<QVariant> decodeInstance(plist_t object, int depth);
    Result<QByteArray> className(plist_t object);
    Result<QVariantList> decodeReferences(plist_t array, int depth);

    std::vector<plist_t> m_objects;
    uint64_t m_count;
    std::vector<QVariant> m_values;
    std::vector<State> m_state;
};

Result<QVariant> GraphReader::decode(plist_t reference, int depth)
{
    if (!reference || plist_get_node_type(reference) != PLIST_UID)
        return bad("an object reference is not a UID");
    uint64_t uid = 0;
    plist_get_uid_val(reference, &uid);
    return decodeObject(uid, depth);
}

Result<QVariant> GraphReader::decodeObject(uint64_t uid, int depth)
{
    if (uid >= m_count)
        return bad("object reference out of range");
    if (depth > KeyedArchive::kMaxDepth)
        return bad("objects nested too deeply");
    switch (m_state[uid]) {
    case Done: return m_values[uid];
    case InProgress: return bad("reference cycle");
    case Unvisited: break;
    }
    m_state[uid] = InProgress;
    plist_t node = m_objects[uid];
    Result<QVariant> value = QVariant();
    switch (plist_get_node_type(node)) {
    case PLIST_STRING:
        // Object 0 is the "$null" placeholder that nil references point to.
        if (uid != 0)
            value = QVariant(QString::fromUtf8(stringOf(node)));
        break;
    case PLIST_DATA: {
        uint64_t length = 0;
        const char *data = plist_get_data_ptr(node, &length);
        value = QVariant(QByteArray(data, qsizetype(length)));
        break;
    }
    case PLIST_UINT: {
        uint64_t number = 0;
        plist_get_uint_val(node, &number);
        value = QVariant(qint64(number));
        break;
    }
    case PLIST_REAL: {
        double number = 0;
        plist_get_real_val(node, &number);
        value = QVariant(number);
        break;
    }
    case PLIST_BOOLEAN: {
        uint8_t flag = 0;
        plist_get_bool_val(node, &flag);
        value = QVariant(bool(flag));
        break;
    }
    case PLIST_DICT:
        value = decodeInstance(node, depth);
        break;
    default:
        value = bad("an object of a type archives do not hold");
        break;
    }
    if (!value)
        return value;
    m_values[uid] = *value;
    m_state[uid] = Done;
    return value;
}

Result<QByteArray> GraphReader::className(plist_t object)
{
    plist_t reference = plist_dict_get_item(object, "$class");
    if (!reference || plist_get_node_type(reference) != PLIST_UID)
        return bad("an object without a class");
    uint64_t uid = 0;
    plist_get_uid_val(reference, &uid);
    if (uid >= m_count)
        return bad("class reference out of range");
    plist_t entry = m_objects[uid];
    plist_t name = plist_get_node_type(entry) == PLIST_DICT ? plist_dict_get_item(entry, "$classname") : nullptr;
    if (!name || plist_get_node_type(name) != PLIST_STRING)
        return bad("a class entry without a name");
    return stringOf(name);
}

Result<QVariantList> GraphReader::decodeReferences(plist_t array, int depth)
{
    if (!array || plist_get_node_type(array) != PLIST_ARRAY)
        return bad("a container without its list of references");
    const std::vector<plist_t> references = itemsOf(array);
    QVariantList values;
    values.reserve(qsizetype(references.size()));
    for (plist_t reference : references) {
        Result<QVariant> value = decode(reference, depth + 1);
        if (!value)
            return Error{value.error()};
        values.append(*value);
    }
    return values;
}

Result<QVariant> GraphReader::decodeInstance(plist_t object, int depth)
{
    Result<QByteArray> name = className(object);
    if (!name)
        return Error{name.error()};
    const QByteArray &type = *name;
    if (type == "NSArray" || type == "NSMutableArray") {
        Result<QVariantList> members = decodeReferences(plist_dict_get_item(object, "NS.objects"), depth);
        if (!members)
            return Error{members.error()};
        return QVariant(*members);
    }
    if (type == "NSDictionary" || type == "NSMutableDictionary") {
        plist_t keyList = plist_dict_get_item(object, "NS.keys");
        plist_t valueList = plist_dict_get_item(object, "NS.objects");
        if (!keyList || !valueList || plist_get_node_type(keyList) != PLIST_ARRAY
            || plist_get_node_type(valueList) != PLIST_ARRAY
            || plist_array_get_size(keyList) != plist_array_get_size(valueList))
            return bad("a dictionary whose keys and values do not pair up");
        Result<QVariantList> keys = decodeReferences(keyList, depth);
        if (!keys)
            return Error{keys.error()};
        Result<QVariantList> values = decodeReferences(valueList, depth);
        if (!values)
            return Error{values.error()};
        KeyedDictionary dictionary;
        dictionary.reserve(keys->size());
        for (qsizetype i = 0; i < keys->size(); ++i) {
            const QVariant &key = keys->at(i);
            int keyType = key.metaType().id();
            if (keyType != QMetaType::QString && keyType != QMetaType::LongLong)
                return bad("a dictionary key that is neither a text nor an integer");
            dictionary.insert(key, values->at(i));
        }
        return QVariant::fromValue(dictionary);
    }
    if (type == "NSDate" || type == "NSCalendarDate") {
        plist_t time = plist_dict_get_item(object, "NS.time");
        double seconds = 0;
        if (time && plist_get_node_type(time) == PLIST_REAL)
            plist_get_real_val(time, &seconds);
        else if (time && plist_get_node_type(time) == PLIST_UINT) {
            uint64_t whole = 0;
            plist_get_uint_val(time, &whole);
            seconds = double(qint64(whole));
        } else
            return bad("a date without NS.time");
        if (!std::isfinite(seconds) || std::fabs(seconds) > kMaxSeconds)
            return bad("a date out of range");
        qint64 ms = qint64(std::llround(seconds * 1000.0)) + KeyedArchive::kEpoch2001 * 1000;
        return QVariant(QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC));
    }
    if (type == "NSString" || type == "NSMutableString") {
        plist_t text = plist_dict_get_item(object, "NS.string");
        if (!text || plist_get_node_type(text) != PLIST_STRING)
            return bad("a string object without NS.string");
        return QVariant(QString::fromUtf8(stringOf(text)));
    }
    if (type == "NSData" || type == "NSMutableData") {
        plist_t data = plist_dict_get_item(object, "NS.data");
        if (!data || plist_get_node_type(data) != PLIST_DATA)
            return bad("a data object without NS.data");
        uint64_t length = 0;
        const char *bytes = plist_get_data_ptr(data, &length);
        return QVariant(QByteArray(bytes, qsizetype(length)));
    }
    return bad("an object of an unknown class");
}

} // namespace

Result<QVariant> KeyedUnarchiver::unarchive(QByteArray bytes)
{
    if (bytes.size() < 8 || quint64(bytes.size()) > std::numeric_limits<uint32_t>::max()
        || std::memcmp(bytes.constData(), "bplist00", 8) != 0)
        return bad("not a binary property list");
    if (Result<void> sound = BinaryPlistCheck::check(bytes, KeyedArchive::kMaxDepth); !sound)
        return Error{sound.error()};
    plist_t parsed = nullptr;
    plist_from_bin(bytes.constData(), uint32_t(bytes.size()), &parsed);
    // The parsed tree holds all it needs: a large archive does not keep its bytes as well.
    bytes = QByteArray();
    if (!parsed)
        return bad("a damaged binary property list");
    PlistPtr root(parsed);
    if (plist_get_node_type(parsed) != PLIST_DICT)
        return bad("the top level is not a dictionary");
    if (!isString(plist_dict_get_item(parsed, "$archiver"), "NSKeyedArchiver"))
        return bad("no NSKeyedArchiver archive");
    plist_t version = plist_dict_get_item(parsed, "$version");
    if (!version || plist_get_node_type(version) != PLIST_UINT)
        return bad("no archive version");
    plist_t objects = plist_dict_get_item(parsed, "$objects");
    if (!objects || plist_get_node_type(objects) != PLIST_ARRAY || plist_array_get_size(objects) == 0
        || !isString(plist_array_get_item(objects, 0), "$null"))
        return bad("no object list starting with $null");
    plist_t top = plist_dict_get_item(parsed, "$top");
    if (!top || plist_get_node_type(top) != PLIST_DICT)
        return bad("no $top dictionary");
    GraphReader reader(objects);
    return reader.decode(plist_dict_get_item(top, "root"), 0);
}
