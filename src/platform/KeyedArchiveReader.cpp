#include "KeyedArchiveReader.h"

#include "KeyedArchive.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace {
// Dates further than this from 2001 are not dates anyone stored (QDateTime's range is wider,
// but a corrupt NS.time must not turn into an absurd value).
constexpr double kMaxSeconds = 1.0e11;
} // namespace

Error KeyedArchiveReader::bad(const char *why)
{
    return Error{QStringLiteral("not a readable keyed archive: %1").arg(QLatin1String(why))};
}

Result<void> KeyedArchiveReader::open(QByteArray bytes)
{
    if (bytes.size() < 8 || quint64(bytes.size()) > std::numeric_limits<uint32_t>::max()
        || std::memcmp(bytes.constData(), "bplist00", 8) != 0)
        return bad("not a binary property list");
    return m_plist.open(std::move(bytes));
}

Result<void> KeyedArchiveReader::checkFrame()
{
    Result<Object> top = m_plist.object(m_plist.topObject());
    if (!top || top->kind != Kind::Dictionary)
        return bad("the top level is not a dictionary");
    const Result<Object> archiver = m_plist.objectAt(m_plist.valueOf(*top, "$archiver"));
    if (!archiver || !m_plist.textEquals(*archiver, "NSKeyedArchiver"))
        return bad("no NSKeyedArchiver archive");
    const Result<Object> version = m_plist.objectAt(m_plist.valueOf(*top, "$version"));
    if (!version || version->kind != Kind::Integer)
        return bad("no archive version");
    const Result<Object> objects = m_plist.objectAt(m_plist.valueOf(*top, "$objects"));
    if (!objects || !isList(*objects) || objects->count == 0)
        return bad("no object list starting with $null");
    const Result<Object> null = m_plist.objectAt(m_plist.reference(*objects, 0));
    if (!null || !m_plist.textEquals(*null, "$null"))
        return bad("no object list starting with $null");
    const Result<Object> topEntry = m_plist.objectAt(m_plist.valueOf(*top, "$top"));
    if (!topEntry || topEntry->kind != Kind::Dictionary)
        return bad("no $top dictionary");
    m_objects = *objects;
    m_root = m_plist.valueOf(*topEntry, "root");
    return {};
}

KeyedArchiveReader::Fields KeyedArchiveReader::fieldsOf(const Object &instance)
{
    static constexpr QByteArrayView kFieldNames[FieldCount] = {"$class", "NS.keys", "NS.objects", "NS.time", "NS.string", "NS.data"};
    constexpr signed char kUnread = -1;
    if (m_fieldOfKey.empty())
        m_fieldOfKey.resize(m_plist.objectCount(), kUnread);
    Fields fields;
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
        if (field < FieldCount && !fields.at[field])
            fields.at[field] = m_plist.reference(instance, instance.count + i);
    }
    return fields;
}

KeyedArchiveReader::Class KeyedArchiveReader::classNamed(const QByteArray &name)
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

Result<KeyedArchiveReader::Class> KeyedArchiveReader::classOf(std::optional<quint64> classReference)
{
    const std::optional<quint64> reference = m_plist.uidAt(classReference);
    if (!reference)
        return bad("an object without a class");
    const quint64 uid = *reference;
    if (uid >= objectCount())
        return bad("class reference out of range");
    if (m_classes.empty())
        m_classes.resize(objectCount(), Class::Unread);
    if (m_classes[uid] != Class::Unread)
        return m_classes[uid];
    Result<Object> entry = objectOf(uid);
    if (!entry || entry->kind != Kind::Dictionary)
        return bad("a class entry without a name");
    Result<Object> name = m_plist.objectAt(m_plist.valueOf(*entry, "$classname"));
    if (!name || !isText(*name))
        return bad("a class entry without a name");
    m_classes[uid] = classNamed(name->kind == Kind::Ascii ? m_plist.data(*name) : m_plist.text(*name).toUtf8());
    return m_classes[uid];
}

Result<qint64> KeyedArchiveReader::dateOf(const Fields &fields) const
{
    Result<Object> time = m_plist.objectAt(fields.at[TimeField]);
    double seconds = 0;
    if (time && time->kind == Kind::Real)
        seconds = m_plist.real(*time);
    else if (time && time->kind == Kind::Integer)
        seconds = double(qint64(m_plist.unsignedValue(*time)));
    else
        return bad("a date without NS.time");
    if (!std::isfinite(seconds) || std::fabs(seconds) > kMaxSeconds)
        return bad("a date out of range");
    return qint64(std::llround(seconds * 1000.0)) + KeyedArchive::kEpoch2001 * 1000;
}
