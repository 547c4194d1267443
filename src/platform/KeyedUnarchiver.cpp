#include "KeyedUnarchiver.h"

#include "BinaryPlistCheck.h"
#include "BinaryPlistReader.h"
#include "KeyedArchive.h"
#include "KeyedDictionary.h"

#include <QDateTime>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace {

using Kind = BinaryPlistReader::Kind;
using Object = BinaryPlistReader::Object;

// Dates further than this from 2001 are not dates anyone stored (QDateTime's range is wider,
// but a corrupt NS.time must not turn into an absurd value).
constexpr double kMaxSeconds = 1.0e11;

Error bad(const char *why)
{
    return Error{QStringLiteral("not a readable keyed archive: %1").arg(QLatin1String(why))};
}

bool isText(const Object &object)
{
    return object.kind == Kind::Ascii || object.kind == Kind::Utf16;
}

bool isList(const Object &object)
{
    return object.kind == Kind::Array || object.kind == Kind::Set;
}

// Decodes objects of "$objects" by UID, reading the property list where it lies. Each object
// is decoded once and remembered, so shared references cost nothing more and the result
// never outgrows the input; an object met again while it is being decoded is a cycle.
class GraphReader {
public:
    GraphReader(const BinaryPlistReader &plist, const Object &objects)
        : m_plist(plist), m_objects(objects), m_count(objects.count), m_values(m_count), m_state(m_count, Unvisited)
    {
    }

    // The object a UID object (by its index in the property list) refers to.
    Result<QVariant> decodeReference(std::optional<quint64> reference, int depth);

private:
    enum State : unsigned char { Unvisited, InProgress, Done };

    Result<QVariant> decodeObject(quint64 uid, int depth);
    Result<QVariant> decodeInstance(const Object &object, int depth);
    // The classes an archive may hold, and what becomes of them.
    enum class Class : unsigned char { Unread, Array, Dictionary, Date, String, Data, Unknown };
    static Class classNamed(const QByteArray &name);
    Result<Class> classOf(std::optional<quint64> classReference);
    // The objects a list of references (an Array or Set) refers to.
    Result<QVariantList> decodeReferences(const Object &array, int depth);
    // The instance fields a dictionary holds, each the first entry with that key.
    enum Field : signed char { ClassField, KeysField, ObjectsField, TimeField, StringField, DataField, FieldCount };
    void findFields(const Object &instance, std::optional<quint64> (&fields)[FieldCount]);

    const BinaryPlistReader &m_plist;
    Object m_objects;
    quint64 m_count;
    std::vector<QVariant> m_values;
    std::vector<State> m_state;
    // Class entries by UID, read once: every person's values name the same few classes.
    std::vector<Class> m_classes;
    // The field each key object names, by its index in the property list: every instance has
    // the same few keys, and each is one shared object.
    std::vector<signed char> m_fieldOfKey;
};

Result<QVariant> GraphReader::decodeReference(std::optional<quint64> reference, int depth)
{
    const std::optional<quint64> uid = m_plist.uidAt(reference);
    if (!uid)
        return bad("an object reference is not a UID");
    return decodeObject(*uid, depth);
}

Result<QVariant> GraphReader::decodeObject(quint64 uid, int depth)
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
    Result<Object> node = m_plist.objectAt(m_plist.reference(m_objects, uid));
    if (!node)
        return Error{node.error()};
    // Decoded into its place: the one copy made is the answer.
    QVariant &value = m_values[uid];
    switch (node->kind) {
    case Kind::Ascii:
    case Kind::Utf16:
        // Object 0 is the "$null" placeholder that nil references point to.
        if (uid != 0)
            value = QVariant(m_plist.text(*node));
        break;
    case Kind::Data: value = QVariant(m_plist.data(*node)); break;
    // Negative numbers travel as their 64-bit two's complement.
    case Kind::Integer: value = QVariant(qint64(m_plist.unsignedValue(*node))); break;
    case Kind::Real: value = QVariant(m_plist.real(*node)); break;
    case Kind::Bool: value = QVariant(node->flag); break;
    case Kind::Dictionary: {
        Result<QVariant> instance = decodeInstance(*node, depth);
        if (!instance)
            return instance;
        value = std::move(*instance);
        break;
    }
    default: return bad("an object of a type archives do not hold");
    }
    m_state[uid] = Done;
    return value;
}

GraphReader::Class GraphReader::classNamed(const QByteArray &name)
{
    if (name == "NSArray" || name == "NSMutableArray")
        return Class::Array;
    if (name == "NSDictionary" || name == "NSMutableDictionary")
        return Class::Dictionary;
    if (name == "NSDate" || name == "NSCalendarDate")
        return Class::Date;
    if (name == "NSString" || name == "NSMutableString")
        return Class::String;
    if (name == "NSData" || name == "NSMutableData")
        return Class::Data;
    return Class::Unknown;
}

Result<GraphReader::Class> GraphReader::classOf(std::optional<quint64> classReference)
{
    const std::optional<quint64> reference = m_plist.uidAt(classReference);
    if (!reference)
        return bad("an object without a class");
    const quint64 uid = *reference;
    if (uid >= m_count)
        return bad("class reference out of range");
    if (m_classes.empty())
        m_classes.resize(m_count, Class::Unread);
    if (m_classes[uid] != Class::Unread)
        return m_classes[uid];
    Result<Object> entry = m_plist.objectAt(m_plist.reference(m_objects, uid));
    if (!entry || entry->kind != Kind::Dictionary)
        return bad("a class entry without a name");
    Result<Object> name = m_plist.objectAt(m_plist.valueOf(*entry, "$classname"));
    if (!name || !isText(*name))
        return bad("a class entry without a name");
    m_classes[uid] = classNamed(name->kind == Kind::Ascii ? m_plist.data(*name) : m_plist.text(*name).toUtf8());
    return m_classes[uid];
}

Result<QVariantList> GraphReader::decodeReferences(const Object &array, int depth)
{
    QVariantList values;
    values.reserve(qsizetype(array.count));
    for (quint64 i = 0; i < array.count; ++i) {
        Result<QVariant> value = decodeReference(m_plist.reference(array, i), depth + 1);
        if (!value)
            return Error{value.error()};
        values.append(std::move(*value));
    }
    return values;
}

void GraphReader::findFields(const Object &instance, std::optional<quint64> (&fields)[FieldCount])
{
    static constexpr QByteArrayView kFieldNames[FieldCount] = {"$class", "NS.keys", "NS.objects", "NS.time", "NS.string", "NS.data"};
    constexpr signed char kUnread = -1;
    if (m_fieldOfKey.empty())
        m_fieldOfKey.resize(m_plist.objectCount(), kUnread);
    for (quint64 i = 0; i < instance.count; ++i) {
        const quint64 keyIndex = m_plist.reference(instance, i);
        if (keyIndex >= m_plist.objectCount())
            continue;
        signed char &field = m_fieldOfKey[keyIndex];
        if (field == kUnread) {
            field = FieldCount; // no field's key, or no object at all
            if (const Result<Object> key = m_plist.object(keyIndex)) {
                for (signed char f = 0; f < FieldCount; ++f) {
                    if (m_plist.textEquals(*key, kFieldNames[f])) {
                        field = f;
                        break;
                    }
                }
            }
        }
        if (field < FieldCount && !fields[field])
            fields[field] = m_plist.reference(instance, instance.count + i);
    }
}

Result<QVariant> GraphReader::decodeInstance(const Object &object, int depth)
{
    std::optional<quint64> fields[FieldCount];
    findFields(object, fields);
    Result<Class> type = classOf(fields[ClassField]);
    if (!type)
        return Error{type.error()};
    switch (*type) {
    case Class::Array: {
        Result<Object> array = m_plist.objectAt(fields[ObjectsField]);
        if (!array || !isList(*array))
            return bad("a container without its list of references");
        Result<QVariantList> members = decodeReferences(*array, depth);
        if (!members)
            return Error{members.error()};
        return QVariant(*members);
    }
    case Class::Dictionary: {
        Result<Object> keyArray = m_plist.objectAt(fields[KeysField]);
        Result<Object> valueArray = m_plist.objectAt(fields[ObjectsField]);
        if (!keyArray || !valueArray || !isList(*keyArray) || !isList(*valueArray) || keyArray->count != valueArray->count)
            return bad("a dictionary whose keys and values do not pair up");
        KeyedDictionary dictionary;
        dictionary.reserve(qsizetype(keyArray->count));
        for (quint64 i = 0; i < keyArray->count; ++i) {
            Result<QVariant> key = decodeReference(m_plist.reference(*keyArray, i), depth + 1);
            if (!key)
                return key;
            const int keyType = key->metaType().id();
            if (keyType != QMetaType::QString && keyType != QMetaType::LongLong)
                return bad("a dictionary key that is neither a text nor an integer");
            Result<QVariant> value = decodeReference(m_plist.reference(*valueArray, i), depth + 1);
            if (!value)
                return value;
            dictionary.insert(*key, *value);
        }
        return QVariant::fromValue(std::move(dictionary));
    }
    case Class::Date: {
        Result<Object> time = m_plist.objectAt(fields[TimeField]);
        double seconds = 0;
        if (time && time->kind == Kind::Real)
            seconds = m_plist.real(*time);
        else if (time && time->kind == Kind::Integer)
            seconds = double(qint64(m_plist.unsignedValue(*time)));
        else
            return bad("a date without NS.time");
        if (!std::isfinite(seconds) || std::fabs(seconds) > kMaxSeconds)
            return bad("a date out of range");
        qint64 ms = qint64(std::llround(seconds * 1000.0)) + KeyedArchive::kEpoch2001 * 1000;
        return QVariant(QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC));
    }
    case Class::String: {
        Result<Object> text = m_plist.objectAt(fields[StringField]);
        if (!text || !isText(*text))
            return bad("a string object without NS.string");
        return QVariant(m_plist.text(*text));
    }
    case Class::Data: {
        Result<Object> data = m_plist.objectAt(fields[DataField]);
        if (!data || data->kind != Kind::Data)
            return bad("a data object without NS.data");
        return QVariant(m_plist.data(*data));
    }
    case Class::Unread:
    case Class::Unknown: break;
    }
    return bad("an object of an unknown class");
}

} // namespace

namespace {

Result<QVariant> decodeArchive(const BinaryPlistReader &plist)
{
    Result<Object> top = plist.object(plist.topObject());
    if (!top || top->kind != Kind::Dictionary)
        return bad("the top level is not a dictionary");
    const Result<Object> archiver = plist.objectAt(plist.valueOf(*top, "$archiver"));
    if (!archiver || !plist.textEquals(*archiver, "NSKeyedArchiver"))
        return bad("no NSKeyedArchiver archive");
    const Result<Object> version = plist.objectAt(plist.valueOf(*top, "$version"));
    if (!version || version->kind != Kind::Integer)
        return bad("no archive version");
    const Result<Object> objects = plist.objectAt(plist.valueOf(*top, "$objects"));
    if (!objects || !isList(*objects) || objects->count == 0)
        return bad("no object list starting with $null");
    const Result<Object> null = plist.objectAt(plist.reference(*objects, 0));
    if (!null || !plist.textEquals(*null, "$null"))
        return bad("no object list starting with $null");
    const Result<Object> topEntry = plist.objectAt(plist.valueOf(*top, "$top"));
    if (!topEntry || topEntry->kind != Kind::Dictionary)
        return bad("no $top dictionary");
    GraphReader reader(plist, *objects);
    return reader.decodeReference(plist.valueOf(*topEntry, "root"), 0);
}

} // namespace

Result<QVariant> KeyedUnarchiver::unarchive(QByteArray bytes)
{
    if (bytes.size() < 8 || quint64(bytes.size()) > std::numeric_limits<uint32_t>::max()
        || std::memcmp(bytes.constData(), "bplist00", 8) != 0)
        return bad("not a binary property list");
    BinaryPlistReader plist;
    if (Result<void> opened = plist.open(std::move(bytes)); !opened)
        return Error{opened.error()};
    // The decoding checks all it reads: every object inside the bytes, at most kMaxDepth
    // deep, no cycle. A list it refuses is checked as a whole, for the reason a damaged list
    // gives (a container inside itself, containers nested too deeply, …); a sound one is
    // not walked twice.
    Result<QVariant> value = decodeArchive(plist);
    if (!value) {
        if (Result<void> sound = BinaryPlistCheck::check(plist, KeyedArchive::kMaxDepth); !sound)
            return Error{sound.error()};
    }
    return value;
}
