#include "KeyedArchiveWriter.h"

#include "KeyedArchive.h"

#include <QDateTime>

#include <algorithm>

// The property list is written by our own writer: libplist's costs a dozen allocations per
// value, which a backup of 100,000 people cannot afford.
KeyedArchiveWriter::KeyedArchiveWriter()
{
    m_objects.reserve(128);
    m_stringUids.reserve(128);
    start();
}

void KeyedArchiveWriter::clear()
{
    m_plist.clear();
    m_objects.clear();
    m_classes = {};
    m_stringUids.clear();
    m_dataListUid = 0;
    m_dataListMembers.clear();
    start();
}

void KeyedArchiveWriter::start()
{
    m_objects.push_back(m_plist.addString(QStringLiteral("$null")));
    m_keys = m_plist.addString(QStringLiteral("NS.keys"));
    m_values = m_plist.addString(QStringLiteral("NS.objects"));
    m_class = m_plist.addString(QStringLiteral("$class"));
}

KeyedArchiveWriter::Uid KeyedArchiveWriter::classUid(ArchivedClass archived)
{
    Uid &known = m_classes[size_t(archived)];
    if (known != 0)
        return known;
    static const QString names[] = {QStringLiteral("NSArray"), QStringLiteral("NSDictionary"), QStringLiteral("NSDate")};
    const Ref nameRef = m_plist.addString(names[size_t(archived)]);
    const Ref classNames[] = {nameRef, m_plist.addString(QStringLiteral("NSObject"))};
    const Ref classes = m_plist.addArray(classNames);
    const Uid uid = append(m_plist.addDictionary(
        {{m_plist.addString(QStringLiteral("$classname")), nameRef}, {m_plist.addString(QStringLiteral("$classes")), classes}}));
    known = uid;
    return uid;
}

KeyedArchiveWriter::Uid KeyedArchiveWriter::text(QStringView text)
{
    // The property list stores each text once: its reference tells whether the text has a UID.
    const Ref ref = m_plist.addString(text);
    if (ref >= m_stringUids.size())
        m_stringUids.resize(std::max(size_t(ref) + 1, 2 * m_stringUids.size()), 0);
    Uid &uid = m_stringUids[ref];
    if (uid == 0) // no text has UID 0: that is "$null", put there without a UID of its own
        uid = append(ref);
    return uid;
}

KeyedArchiveWriter::Uid KeyedArchiveWriter::integer(qint64 value)
{
    return append(m_plist.addInteger(value));
}

KeyedArchiveWriter::Uid KeyedArchiveWriter::data(const QByteArray &data)
{
    return append(m_plist.addData(data));
}

Result<KeyedArchiveWriter::Uid> KeyedArchiveWriter::date(const QDateTime &date)
{
    if (!date.isValid())
        return Error{QStringLiteral("an invalid date cannot be archived")};
    const double seconds = double(date.toMSecsSinceEpoch() - KeyedArchive::kEpoch2001 * 1000) / 1000.0;
    const Uid uid = openContainer();
    const Ref classRef = m_plist.addUid(classUid(ArchivedClass::Date));
    m_objects[uid] = m_plist.addDictionary({{m_plist.addString(QStringLiteral("NS.time")), m_plist.addReal(seconds)}, {m_class, classRef}});
    return uid;
}

void KeyedArchiveWriter::addEntry(Entries &entries, Uid key, Uid value)
{
    entries.keys.push_back(m_plist.addUid(key));
    entries.values.push_back(m_plist.addUid(value));
}

void KeyedArchiveWriter::closeDictionary(Uid uid, const Entries &entries)
{
    const Ref classRef = m_plist.addUid(classUid(ArchivedClass::Dictionary));
    m_objects[uid] = m_plist.addDictionary(
        {{m_keys, m_plist.addArray(entries.keys)}, {m_values, m_plist.addArray(entries.values)}, {m_class, classRef}});
}

Result<void> KeyedArchiveWriter::encodeList(const QVariantList &list, Uid uid, int depth)
{
    std::vector<Ref> members;
    members.reserve(size_t(list.size()));
    for (const QVariant &item : list) {
        Uid member = 0;
        if (auto r = encode(item, member, depth + 1); !r)
            return r;
        members.push_back(m_plist.addUid(member));
    }
    closeList(uid, members);
    return {};
}

void KeyedArchiveWriter::closeList(Uid uid, const std::vector<Ref> &members)
{
    const Ref classRef = m_plist.addUid(classUid(ArchivedClass::Array));
    m_objects[uid] = m_plist.addDictionary({{m_values, m_plist.addArray(members)}, {m_class, classRef}});
}

Result<void> KeyedArchiveWriter::encodeDictionary(const QList<KeyedDictionary::Entry> &entries, Uid uid, int depth)
{
    Entries members;
    members.keys.reserve(size_t(entries.size()));
    members.values.reserve(size_t(entries.size()));
    for (const auto &[key, value] : entries) {
        const int type = key.metaType().id();
        if (type != QMetaType::QString && !key.canConvert<qint64>())
            return Error{QStringLiteral("dictionary key of type %1 cannot be archived").arg(QString::fromLatin1(key.typeName()))};
        Uid keyUid = 0;
        Uid valueUid = 0;
        if (auto r = encode(key, keyUid, depth + 1); !r)
            return r;
        if (auto r = encode(value, valueUid, depth + 1); !r)
            return r;
        addEntry(members, keyUid, valueUid);
    }
    closeDictionary(uid, members);
    return {};
}

Result<void> KeyedArchiveWriter::encode(const QVariant &value, Uid &uid, int depth)
{
    if (depth > KeyedArchive::kMaxDepth)
        return Error{QStringLiteral("values nested too deeply to archive")};
    switch (value.metaType().id()) {
    case QMetaType::UnknownType:
        uid = 0;
        return {};
    case QMetaType::QString:
        uid = text(value.toString());
        return {};
    case QMetaType::QByteArray:
        uid = data(value.toByteArray());
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
        uid = integer(value.toLongLong());
        return {};
    case QMetaType::Double:
    case QMetaType::Float:
        uid = append(m_plist.addReal(value.toDouble()));
        return {};
    case QMetaType::QDateTime: {
        Result<Uid> archived = date(value.toDateTime());
        if (!archived)
            return Error{archived.error()};
        uid = *archived;
        return {};
    }
    case QMetaType::QVariantList:
    case QMetaType::QStringList:
        uid = openContainer();
        return encodeList(value.toList(), uid, depth);
    case QMetaType::QVariantMap: {
        const QVariantMap map = value.toMap();
        QList<KeyedDictionary::Entry> entries;
        entries.reserve(map.size());
        for (auto it = map.begin(); it != map.end(); ++it)
            entries.append({it.key(), it.value()});
        uid = openContainer();
        return encodeDictionary(entries, uid, depth);
    }
    default:
        if (isKeyedDictionary(value)) {
            uid = openContainer();
            return encodeDictionary(value.value<KeyedDictionary>().entries(), uid, depth);
        }
        return Error{QStringLiteral("values of type %1 cannot be archived").arg(QString::fromLatin1(value.typeName()))};
    }
}

bool KeyedArchiveWriter::appendToDataList(QIODevice &out, const QByteArray &data)
{
    m_dataListMembers.push_back(m_plist.addUid(this->data(data)));
    return m_plist.writeReadyTo(out);
}

bool KeyedArchiveWriter::finishDataList(QIODevice &out)
{
    closeList(m_dataListUid, m_dataListMembers);
    return m_plist.finishTo(out, archive(m_dataListUid));
}

KeyedArchiveWriter::Ref KeyedArchiveWriter::archive(Uid rootUid)
{
    const Ref top = m_plist.addDictionary({{m_plist.addString(QStringLiteral("root")), m_plist.addUid(rootUid)}});
    return m_plist.addDictionary({
        {m_plist.addString(QStringLiteral("$version")), m_plist.addInteger(qint64(KeyedArchive::kVersion))},
        {m_plist.addString(QStringLiteral("$archiver")), m_plist.addString(QStringLiteral("NSKeyedArchiver"))},
        {m_plist.addString(QStringLiteral("$top")), top},
        {m_plist.addString(QStringLiteral("$objects")), m_plist.addArray(m_objects)},
    });
}
