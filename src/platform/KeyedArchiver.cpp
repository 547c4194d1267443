#include "KeyedArchiver.h"

#include "BinaryPlistWriter.h"
#include "KeyedArchive.h"
#include "KeyedDictionary.h"

#include <QDateTime>

#include <array>

namespace {

using Ref = BinaryPlistWriter::Ref;

// Builds "$objects": entry n is the object with UID n. Containers take their UID before
// their members, so the root is always object 1, as other archivers do it. The property
// list is written by our own writer: libplist's costs a dozen allocations per value, which
// a backup of 100,000 people cannot afford.
class GraphWriter {
public:
    GraphWriter()
    {
        m_objects.reserve(128);
        m_stringUids.reserve(128);
        m_objects.push_back(m_plist.addString(QStringLiteral("$null")));
        m_keys = m_plist.addString(QStringLiteral("NS.keys"));
        m_values = m_plist.addString(QStringLiteral("NS.objects"));
        m_class = m_plist.addString(QStringLiteral("$class"));
    }

    Result<void> encode(const QVariant &value, quint64 &uid, int depth);
    QByteArray finish(quint64 rootUid) { return m_plist.finish(archive(rootUid)); }

    // A root list of data that goes out to `out` as it grows, laid out as encode() lays out
    // the same list.
    void beginDataList() { m_dataListUid = reserveSlot(); }
    bool appendToDataList(QIODevice &out, const QByteArray &data)
    {
        m_dataListMembers.push_back(m_plist.addUid(append(m_plist.addData(data))));
        return m_plist.writeReadyTo(out);
    }
    bool finishDataList(QIODevice &out)
    {
        closeList(m_dataListUid, m_dataListMembers);
        return m_plist.finishTo(out, archive(m_dataListUid));
    }

private:
    quint64 append(Ref ref)
    {
        m_objects.push_back(ref);
        return m_objects.size() - 1;
    }
    quint64 reserveSlot() { return append(0); }
    enum class ArchivedClass { Array, Dictionary, Date };
    quint64 classUid(ArchivedClass archived);
    quint64 stringUid(const QString &text);
    Result<void> encodeList(const QVariantList &list, quint64 uid, int depth);
    void closeList(quint64 uid, const std::vector<Ref> &members);
    // The archive's top dictionary.
    Ref archive(quint64 rootUid);
    Result<void> encodeDictionary(const QList<KeyedDictionary::Entry> &entries, quint64 uid, int depth);

    BinaryPlistWriter m_plist;
    std::vector<Ref> m_objects;
    Ref m_keys;
    Ref m_values;
    Ref m_class;
    std::array<quint64, 3> m_classes{}; // by ArchivedClass; 0 until first used
    // Equal texts are stored once, as other archivers do for their keys and labels: the UID
    // of each text by its reference in the property list, 0 where it has none yet.
    std::vector<quint64> m_stringUids;
    quint64 m_dataListUid = 0;
    std::vector<Ref> m_dataListMembers;
};

quint64 GraphWriter::classUid(ArchivedClass archived)
{
    quint64 &known = m_classes[size_t(archived)];
    if (known != 0)
        return known;
    static const QString names[] = {QStringLiteral("NSArray"), QStringLiteral("NSDictionary"), QStringLiteral("NSDate")};
    const Ref nameRef = m_plist.addString(names[size_t(archived)]);
    const Ref classes = m_plist.addArray({nameRef, m_plist.addString(QStringLiteral("NSObject"))});
    const quint64 uid = append(m_plist.addDictionary(
        {{m_plist.addString(QStringLiteral("$classname")), nameRef}, {m_plist.addString(QStringLiteral("$classes")), classes}}));
    known = uid;
    return uid;
}

quint64 GraphWriter::stringUid(const QString &text)
{
    // The property list stores each text once: its reference tells whether the text has a UID.
    const Ref ref = m_plist.addString(text);
    if (ref >= m_stringUids.size())
        m_stringUids.resize(ref + 1, 0);
    quint64 &uid = m_stringUids[ref];
    if (uid == 0) // no text has UID 0: that is "$null", put there without a UID of its own
        uid = append(ref);
    return uid;
}

Result<void> GraphWriter::encodeList(const QVariantList &list, quint64 uid, int depth)
{
    std::vector<Ref> members;
    members.reserve(size_t(list.size()));
    for (const QVariant &item : list) {
        quint64 member = 0;
        if (auto r = encode(item, member, depth + 1); !r)
            return r;
        members.push_back(m_plist.addUid(member));
    }
    closeList(uid, members);
    return {};
}

void GraphWriter::closeList(quint64 uid, const std::vector<Ref> &members)
{
    const Ref classRef = m_plist.addUid(classUid(ArchivedClass::Array));
    m_objects[uid] = m_plist.addDictionary({{m_values, m_plist.addArray(members)}, {m_class, classRef}});
}

Result<void> GraphWriter::encodeDictionary(const QList<KeyedDictionary::Entry> &entries, quint64 uid, int depth)
{
    std::vector<Ref> keys;
    std::vector<Ref> values;
    keys.reserve(size_t(entries.size()));
    values.reserve(size_t(entries.size()));
    for (const auto &[key, value] : entries) {
        const int type = key.metaType().id();
        if (type != QMetaType::QString && !key.canConvert<qint64>())
            return Error{QStringLiteral("dictionary key of type %1 cannot be archived").arg(QString::fromLatin1(key.typeName()))};
        quint64 keyUid = 0;
        quint64 valueUid = 0;
        if (auto r = encode(key, keyUid, depth + 1); !r)
            return r;
        if (auto r = encode(value, valueUid, depth + 1); !r)
            return r;
        keys.push_back(m_plist.addUid(keyUid));
        values.push_back(m_plist.addUid(valueUid));
    }
    const Ref classRef = m_plist.addUid(classUid(ArchivedClass::Dictionary));
    m_objects[uid] = m_plist.addDictionary(
        {{m_keys, m_plist.addArray(keys)}, {m_values, m_plist.addArray(values)}, {m_class, classRef}});
    return {};
}

Result<void> GraphWriter::encode(const QVariant &value, quint64 &uid, int depth)
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
    case QMetaType::QByteArray:
        uid = append(m_plist.addData(value.toByteArray()));
        return {};
    case QMetaType::Bool:
        uid = append(m_plist.addBool(value.toBool()));
        return {};
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
        // Negative numbers travel as their 64-bit two's complement, as binary lists hold them.
        uid = append(m_plist.addInteger(value.toLongLong()));
        return {};
    case QMetaType::Double:
    case QMetaType::Float:
        uid = append(m_plist.addReal(value.toDouble()));
        return {};
    case QMetaType::QDateTime: {
        const QDateTime date = value.toDateTime();
        if (!date.isValid())
            return Error{QStringLiteral("an invalid date cannot be archived")};
        const double seconds = double(date.toMSecsSinceEpoch() - KeyedArchive::kEpoch2001 * 1000) / 1000.0;
        uid = reserveSlot();
        const Ref classRef = m_plist.addUid(classUid(ArchivedClass::Date));
        m_objects[uid] = m_plist.addDictionary(
            {{m_plist.addString(QStringLiteral("NS.time")), m_plist.addReal(seconds)}, {m_class, classRef}});
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

Ref GraphWriter::archive(quint64 rootUid)
{
    const Ref top = m_plist.addDictionary({{m_plist.addString(QStringLiteral("root")), m_plist.addUid(rootUid)}});
    return m_plist.addDictionary({
        {m_plist.addString(QStringLiteral("$version")), m_plist.addInteger(qint64(KeyedArchive::kVersion))},
        {m_plist.addString(QStringLiteral("$archiver")), m_plist.addString(QStringLiteral("NSKeyedArchiver"))},
        {m_plist.addString(QStringLiteral("$top")), top},
        {m_plist.addString(QStringLiteral("$objects")), m_plist.addArray(m_objects)},
    });
}

} // namespace

struct KeyedArchiver::DataListWriter::Private {
    QIODevice &out;
    GraphWriter graph;
    bool ok = true;
};

KeyedArchiver::DataListWriter::DataListWriter(QIODevice &out) : d(new Private{out, {}})
{
    d->graph.beginDataList();
}

KeyedArchiver::DataListWriter::~DataListWriter() = default;

bool KeyedArchiver::DataListWriter::append(const QByteArray &data)
{
    d->ok = d->ok && d->graph.appendToDataList(d->out, data);
    return d->ok;
}

bool KeyedArchiver::DataListWriter::finish()
{
    d->ok = d->ok && d->graph.finishDataList(d->out);
    return d->ok;
}

Result<QByteArray> KeyedArchiver::archivedData(const QVariant &root)
{
    GraphWriter writer;
    quint64 rootUid = 0;
    if (auto r = writer.encode(root, rootUid, 0); !r)
        return Error{r.error()};
    return writer.finish(rootUid);
}
