#include "KeyedUnarchiver.h"

#include "BinaryPlistCheck.h"
#include "KeyedArchive.h"
#include "KeyedArchiveReader.h"
#include "KeyedDictionary.h"

#include <QDateTime>

#include <vector>

namespace {

using Kind = KeyedArchiveReader::Kind;
using Object = KeyedArchiveReader::Object;
using Class = KeyedArchiveReader::Class;

Error bad(const char *why)
{
    return KeyedArchiveReader::bad(why);
}

// Decodes objects of "$objects" by UID, reading the property list where it lies. Each object
// is decoded once and remembered, so shared references cost nothing more and the result
// never outgrows the input; an object met again while it is being decoded is a cycle.
class GraphReader {
public:
    explicit GraphReader(KeyedArchiveReader &archive)
        : m_archive(archive), m_plist(archive.plist()), m_count(archive.objectCount()), m_values(m_count), m_state(m_count, Unvisited)
    {
    }

    // The object a UID object (by its index in the property list) refers to.
    Result<QVariant> decodeReference(std::optional<quint64> reference, int depth);

private:
    enum State : unsigned char { Unvisited, InProgress, Done };

    Result<QVariant> decodeObject(quint64 uid, int depth);
    Result<QVariant> decodeInstance(const Object &object, int depth);
    // The objects a list of references (an Array or Set) refers to.
    Result<QVariantList> decodeReferences(const Object &array, int depth);

    KeyedArchiveReader &m_archive;
    const BinaryPlistReader &m_plist;
    quint64 m_count;
    std::vector<QVariant> m_values;
    std::vector<State> m_state;
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
    Result<Object> node = m_archive.objectOf(uid);
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

Result<QVariant> GraphReader::decodeInstance(const Object &object, int depth)
{
    using Field = KeyedArchiveReader::Field;
    const KeyedArchiveReader::Fields fields = m_archive.fieldsOf(object);
    Result<Class> type = m_archive.classOf(fields.at[Field::ClassField]);
    if (!type)
        return Error{type.error()};
    switch (*type) {
    case Class::Array: {
        Result<Object> array = m_plist.objectAt(fields.at[Field::ObjectsField]);
        if (!array || !KeyedArchiveReader::isList(*array))
            return bad("a container without its list of references");
        Result<QVariantList> members = decodeReferences(*array, depth);
        if (!members)
            return Error{members.error()};
        return QVariant(*members);
    }
    case Class::Dictionary: {
        Result<Object> keyArray = m_plist.objectAt(fields.at[Field::KeysField]);
        Result<Object> valueArray = m_plist.objectAt(fields.at[Field::ObjectsField]);
        if (!keyArray || !valueArray || !KeyedArchiveReader::isList(*keyArray) || !KeyedArchiveReader::isList(*valueArray)
            || keyArray->count != valueArray->count)
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
        Result<qint64> ms = m_archive.dateOf(fields);
        if (!ms)
            return Error{ms.error()};
        return QVariant(QDateTime::fromMSecsSinceEpoch(*ms, Qt::UTC));
    }
    case Class::String: {
        Result<Object> text = m_plist.objectAt(fields.at[Field::StringField]);
        if (!text || !KeyedArchiveReader::isText(*text))
            return bad("a string object without NS.string");
        return QVariant(m_plist.text(*text));
    }
    case Class::Data: {
        Result<Object> data = m_plist.objectAt(fields.at[Field::DataField]);
        if (!data || data->kind != Kind::Data)
            return bad("a data object without NS.data");
        return QVariant(m_plist.data(*data));
    }
    case Class::Unread:
    case Class::Unknown: break;
    }
    return bad("an object of an unknown class");
}

Result<QVariant> decodeArchive(KeyedArchiveReader &archive)
{
    if (Result<void> frame = archive.checkFrame(); !frame)
        return Error{frame.error()};
    GraphReader reader(archive);
    return reader.decodeReference(archive.rootReference(), 0);
}

} // namespace

Result<QVariant> KeyedUnarchiver::unarchive(QByteArray bytes)
{
    KeyedArchiveReader archive;
    if (Result<void> opened = archive.open(std::move(bytes)); !opened)
        return Error{opened.error()};
    // The decoding checks all it reads: every object inside the bytes, at most kMaxDepth
    // deep, no cycle. A list it refuses is checked as a whole, for the reason a damaged list
    // gives (a container inside itself, containers nested too deeply, …); a sound one is
    // not walked twice.
    Result<QVariant> value = decodeArchive(archive);
    if (!value) {
        if (Result<void> sound = BinaryPlistCheck::check(archive.plist(), KeyedArchive::kMaxDepth); !sound)
            return Error{sound.error()};
    }
    return value;
}
