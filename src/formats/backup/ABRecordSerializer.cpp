#include "ABRecordSerializer.h"

#include "platform/DevLog.h"
#include "platform/DeviceFacts.h"
#include "platform/KeyedArchiveReader.h"
#include "platform/KeyedArchiveWriter.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"

#include <QCollator>
#include <QDateTime>
#include <QSet>
#include <QVarLengthArray>

#include <algorithm>
#include <limits>
#include <vector>

namespace {

// The properties of a person blob, in the order they are read from the person.
const ABPropertyID kProperties[] = {
    kABPersonFirstNameProperty, kABPersonLastNameProperty, kABPersonMiddleNameProperty,
    kABPersonPrefixProperty, kABPersonSuffixProperty, kABPersonNicknameProperty,
    kABPersonFirstNamePhoneticProperty, kABPersonLastNamePhoneticProperty, kABPersonMiddleNamePhoneticProperty,
    kABPersonOrganizationProperty, kABPersonJobTitleProperty, kABPersonDepartmentProperty,
    kABPersonBirthdayProperty, kABPersonNoteProperty, kABPersonEmailProperty,
    kABPersonAddressProperty, kABPersonDateProperty, kABPersonKindProperty,
    kABPersonPhoneProperty, kABPersonInstantMessageProperty, kABPersonURLProperty,
    kABPersonRelatedNamesProperty,
};

QCollator &localizedCollator()
{
    // A collator is costly to make and not safe to share between threads.
    thread_local QCollator collator;
    return collator;
}

// A multi-value key "%.3d%@" taken apart again. The index has at least three digits, so
// from the 1001st value on a key such as "1000Home" could also be index 100 with the label
// "0Home". Every index appears once, and labels seldom begin with a digit: readings that
// agree with both win.
struct KeyParts {
    QString key;
    QVariant value;
    qint64 index = -1; // -1: the key does not start with an index
    int prefix = 3;
};

struct Candidate {
    qint64 index;
    int prefix;
    bool digitLabel; // the label this reading leaves begins with a digit
};

// The readings of one key; nearly every key has one.
using Candidates = QVarLengthArray<Candidate, 2>;

Candidates candidatesFor(const QString &key, qsizetype count)
{
    auto isDigit = [&](qsizetype at) { return at < key.size() && key[at].unicode() >= u'0' && key[at].unicode() <= u'9'; };
    // The value of each leading run of digits: prefixes[n] is that of the first n.
    qint64 prefixes[19] = {0};
    int digits = 0;
    while (digits < 18 && isDigit(digits)) {
        prefixes[digits + 1] = prefixes[digits] * 10 + (key[digits].unicode() - u'0');
        ++digits;
    }
    Candidates candidates;
    if (digits < 3)
        return candidates;
    // Indexes of 1000 and more are written without leading zeros.
    if (key[0] != QLatin1Char('0')) {
        for (int length = digits; length >= 4; --length) {
            if (prefixes[length] < count)
                candidates.append({prefixes[length], length, isDigit(length)});
        }
    }
    candidates.append({prefixes[3], 3, isDigit(3)});
    if (candidates.size() > 1) {
        std::stable_sort(candidates.begin(), candidates.end(),
                         [](const Candidate &a, const Candidate &b) { return !a.digitLabel && b.digitLabel; });
    }
    return candidates;
}

std::vector<KeyParts> orderedEntries(const QList<KeyedDictionary::Entry> &entries)
{
    std::vector<KeyParts> parts;
    parts.reserve(size_t(entries.size()));
    std::vector<Candidates> choices;
    choices.reserve(size_t(entries.size()));
    auto place = [&](size_t i, const Candidate &chosen) {
        parts[i].index = chosen.index;
        parts[i].prefix = chosen.prefix;
    };
    bool ambiguous = false;
    for (const auto &[key, value] : entries) {
        parts.push_back({key.toString(), value});
        choices.push_back(candidatesFor(parts.back().key, entries.size()));
        if (choices.back().size() == 1)
            place(parts.size() - 1, choices.back().front());
        ambiguous = ambiguous || choices.back().size() > 1;
    }
    // Ambiguous keys (from the 1001st value on): first the readings that leave a label not
    // starting with a digit, then any free reading, else the first one.
    if (ambiguous) {
        QSet<qint64> taken;
        auto choose = [&](size_t i, const Candidate &chosen) {
            place(i, chosen);
            taken.insert(chosen.index);
        };
        for (const KeyParts &part : parts) {
            if (part.index >= 0)
                taken.insert(part.index);
        }
        for (size_t i = 0; i < parts.size(); ++i) {
            const Candidates &candidates = choices[i];
            if (candidates.size() > 1 && !candidates.first().digitLabel && !taken.contains(candidates.first().index))
                choose(i, candidates.first());
        }
        for (size_t i = 0; i < parts.size(); ++i) {
            const Candidates &candidates = choices[i];
            if (candidates.size() < 2 || parts[i].index >= 0)
                continue;
            auto free = std::find_if(candidates.begin(), candidates.end(), [&](const Candidate &c) { return !taken.contains(c.index); });
            choose(i, free != candidates.end() ? *free : candidates.first());
        }
    }
    QCollator &collator = localizedCollator();
    auto before = [&](const KeyParts &a, const KeyParts &b) {
        // Keys without an index go last, in the localized order of their text.
        bool aIndexed = a.index >= 0;
        bool bIndexed = b.index >= 0;
        if (aIndexed != bIndexed)
            return aIndexed;
        if (a.index != b.index)
            return a.index < b.index;
        return collator.compare(a.key, b.key) < 0;
    };
    // Archives list the entries in order as a rule: they need no sort (and its buffer).
    if (!std::is_sorted(parts.begin(), parts.end(), before))
        std::stable_sort(parts.begin(), parts.end(), before);
    return parts;
}

// Social profiles came with system version 5. The version is the build's, so it is compared
// once, not for every person archived.
bool archivesSocialProfiles()
{
    static const bool archives = DeviceFacts::systemVersionAtLeast(QStringLiteral("5"));
    return archives;
}

// Up to this many entries, a multi-value key's index is its first three digits and nothing
// else, so the keys ("%.3d" and the label) sort by index: the direct paths take only those.
constexpr quint32 kEntriesIndexedByThreeDigits = 1000;

ABPropertyType elementType(const QVariant &value)
{
    switch (value.metaType().id()) {
    case QMetaType::QString: return kABMultiStringPropertyType;
    case QMetaType::QDateTime: return kABMultiDateTimePropertyType;
    case QMetaType::QVariantMap: return kABMultiDictionaryPropertyType;
    default: return isKeyedDictionary(value) ? kABMultiDictionaryPropertyType : kABInvalidPropertyType;
    }
}

// An address, instant-message or social-profile dictionary: texts by text keys.
std::optional<QVariantMap> textDictionary(const QVariant &value)
{
    std::optional<QVariantMap> map = isKeyedDictionary(value) ? value.value<KeyedDictionary>().toVariantMap()
                                                              : std::optional<QVariantMap>(value.toMap());
    if (!map)
        return std::nullopt;
    for (const QVariant &item : std::as_const(*map)) {
        if (item.metaType().id() != QMetaType::QString)
            return std::nullopt;
    }
    return map;
}

bool fail(const char *kind, const QString &error)
{
    DevLog::log(QStringLiteral("createPersonFromData:inSource:retGroups: ABRecordSerializer %1 error: %2")
                    .arg(QLatin1String(kind), error));
    return false;
}

ABRecordRef refuse(const char *kind, const QString &error)
{
    fail(kind, error);
    return nullptr;
}

bool setProperty(ABRecord &person, ABPropertyID property, const QVariant &value)
{
    QString error;
    switch (ABRecord::typeOfProperty(property)) {
    case kABStringPropertyType:
        return person.setValue(property, value, &error) || fail("string", error);
    case kABIntegerPropertyType:
        return person.setValue(property, value, &error) || fail("integer", error);
    case kABDateTimePropertyType:
        return person.setValue(property, value, &error) || fail("time", error);
    case kABMultiStringPropertyType:
    case kABMultiDateTimePropertyType:
    case kABMultiDictionaryPropertyType: {
        std::optional<ABMultiValue> multi;
        if (isKeyedDictionary(value))
            multi = ABRecordSerializer::multiValuePropertyFromDictionary(value.value<KeyedDictionary>());
        if (!multi)
            return fail("multi", QStringLiteral("property %1 does not hold a multi-value dictionary").arg(property));
        return person.setValue(property, QVariant::fromValue(*multi), &error) || fail("multi", error);
    }
    default:
        // Not a property of ours (or one of a type the format leaves out): ignored.
        return true;
    }
}

// The archive personDictionary and dictionaryToData make of a person in its stored form,
// written as its values are read where they are stored: the same objects added in the same
// order, so the same bytes, without a variant, multi-value or map per value. A value of
// another shape is the general path's: write() then answers none.
class StoredPersonArchive {
public:
    // The archive of `person`, whose values are `stored`. The archive is empty again after it.
    std::optional<QByteArray> write(const ABRecordCodec::Stored &stored, const ABRecord &person, const QStringList &groups);

private:
    using Uid = KeyedArchiveWriter::Uid;
    using Kind = ABRecordCodec::StoredValue::Kind;
    // Each adds the property's entry to the root when it has one; false for another shape.
    bool property(ABPropertyID property);
    bool scalar(ABPropertyID property, ABRecordCodec::StoredValue &value);
    bool multiValue(ABPropertyID property, ABRecordCodec::StoredValue &value);
    // The next value read (a scalar, or a multi-value entry's), archived.
    std::optional<Uid> archivedValue(ABRecordCodec::StoredValue &value);
    std::optional<QByteArray> archive(const ABRecord &person, const QStringList &groups);

    const ABRecordCodec::Stored *m_stored = nullptr;
    KeyedArchiveWriter m_archive;
    KeyedArchiveWriter::Entries m_root, m_entries, m_dictionary;
    QString m_text, m_key, m_previousKey;
};

std::optional<QByteArray> StoredPersonArchive::write(const ABRecordCodec::Stored &stored, const ABRecord &person,
                                                     const QStringList &groups)
{
    m_stored = &stored;
    std::optional<QByteArray> data = archive(person, groups);
    m_archive.clear();
    m_root.clear();
    return data;
}

std::optional<QByteArray> StoredPersonArchive::archive(const ABRecord &person, const QStringList &groups)
{
    const Uid root = m_archive.openContainer();
    for (ABPropertyID property : kProperties) {
        if (!this->property(property))
            return std::nullopt;
    }
    if (archivesSocialProfiles() && !property(kABPersonSocialProfileProperty))
        return std::nullopt;
    if (person.hasImageData()) {
        const Uid key = m_archive.integer(ABRecordSerializer::kImageKey);
        m_archive.addEntry(m_root, key, m_archive.data(person.copyImageData()));
    }
    const Uid key = m_archive.integer(ABRecordSerializer::kGroupsKey);
    Uid list = 0;
    if (!m_archive.encode(groups, list))
        return std::nullopt;
    m_archive.addEntry(m_root, key, list);
    m_archive.closeDictionary(root, m_root);
    return m_archive.finish(root);
}

bool StoredPersonArchive::property(ABPropertyID property)
{
    ABRecordCodec::StoredValue value(*m_stored, property);
    if (value.kind() == Kind::None)
        return true;
    switch (ABRecord::typeOfProperty(property)) {
    case kABStringPropertyType:
    case kABIntegerPropertyType:
    case kABDateTimePropertyType:
        return !value.isMulti() && scalar(property, value);
    case kABMultiStringPropertyType:
    case kABMultiDateTimePropertyType:
    case kABMultiDictionaryPropertyType:
        return value.isMulti() && multiValue(property, value);
    default:
        return true;
    }
}

bool StoredPersonArchive::scalar(ABPropertyID property, ABRecordCodec::StoredValue &value)
{
    if (value.kind() != Kind::Text && value.kind() != Kind::Integer && value.kind() != Kind::Date)
        return false;
    // The key goes in before the value, as the general path encodes them.
    const Uid key = m_archive.integer(property);
    const std::optional<Uid> archived = archivedValue(value);
    if (!archived)
        return false;
    m_archive.addEntry(m_root, key, *archived);
    return true;
}

bool StoredPersonArchive::multiValue(ABPropertyID property, ABRecordCodec::StoredValue &value)
{
    if (value.kind() != Kind::Text && value.kind() != Kind::Date && value.kind() != Kind::Dictionary)
        return false;
    const quint32 count = value.count();
    if (!value.ok() || count > kEntriesIndexedByThreeDigits)
        return false;
    if (count == 0)
        return true;
    const Uid key = m_archive.integer(property);
    const Uid entries = m_archive.openContainer();
    m_entries.clear();
    for (quint32 i = 0; i < count; ++i) {
        value.label(m_text);
        m_key.resize(0);
        m_key.append(QChar(u'0' + i / 100)).append(QChar(u'0' + i / 10 % 10)).append(QChar(u'0' + i % 10)).append(m_text);
        const Uid entryKey = m_archive.text(m_key);
        const std::optional<Uid> entryValue = value.ok() ? archivedValue(value) : std::nullopt;
        if (!entryValue)
            return false;
        m_archive.addEntry(m_entries, entryKey, *entryValue);
    }
    m_archive.closeDictionary(entries, m_entries);
    m_archive.addEntry(m_root, key, entries);
    return true;
}

std::optional<KeyedArchiveWriter::Uid> StoredPersonArchive::archivedValue(ABRecordCodec::StoredValue &value)
{
    Uid uid = 0;
    switch (value.kind()) {
    case Kind::Text:
        value.text(m_text);
        uid = m_archive.text(m_text);
        break;
    case Kind::Integer:
        uid = m_archive.integer(value.number());
        break;
    case Kind::Date: {
        const Result<Uid> date = m_archive.date(QDateTime::fromMSecsSinceEpoch(value.number(), Qt::UTC));
        if (!date)
            return std::nullopt;
        uid = *date;
        break;
    }
    case Kind::Dictionary: {
        // A dictionary of texts, whose keys the general path's map keeps sorted and unique.
        uid = m_archive.openContainer();
        m_dictionary.clear();
        const quint32 pairs = value.count();
        for (quint32 j = 0; j < pairs && value.ok(); ++j) {
            value.text(m_key);
            if (j > 0 && !(m_previousKey < m_key))
                return std::nullopt;
            const Uid key = m_archive.text(m_key);
            value.text(m_text);
            m_archive.addEntry(m_dictionary, key, m_archive.text(m_text));
            std::swap(m_key, m_previousKey);
        }
        m_archive.closeDictionary(uid, m_dictionary);
        break;
    }
    default:
        return std::nullopt;
    }
    if (!value.ok())
        return std::nullopt;
    return uid;
}

// The person createPersonFromData makes of an archive of the shape this program writes, read
// where it lies straight into the stored form, without the variants, dictionaries,
// multi-values and maps between: the same values. An archive of another shape (texts as
// NSString instances, nil values, multi-value keys out of index order, a value the general
// path would refuse or ignore, damage) is the general path's: read() then answers none.
class ArchivedPersonReader {
public:
    ABRecordRef read(const QByteArray &data, const ABRecordRef &source, QStringList *retGroups);

private:
    using Object = KeyedArchiveReader::Object;
    using Kind = KeyedArchiveReader::Kind;
    using Class = KeyedArchiveReader::Class;
    using Field = KeyedArchiveReader::Field;
    using StoredKind = ABRecordCodec::StoredValue::Kind;
    // A dictionary instance's lists of key and value references.
    struct Entries {
        Object keys, values;
        quint64 count() const { return keys.count; }
    };

    // The object a UID reference names; none for nil, a reference that is no UID, or damage.
    std::optional<Object> objectAt(std::optional<quint64> reference) const;
    // The fields of an instance of `expected`; none for another object or class.
    std::optional<KeyedArchiveReader::Fields> instance(const std::optional<Object> &object, Class expected);
    std::optional<Entries> dictionary(const std::optional<Object> &object);
    bool text(std::optional<quint64> reference, QString &into) const;
    std::optional<qint64> date(std::optional<quint64> reference);
    bool groupNames(std::optional<quint64> reference, QStringList &names);
    bool property(qint64 number, std::optional<quint64> reference);
    bool multiValue(ABPropertyID property, StoredKind kind, std::optional<quint64> reference);
    // Reads a value of `kind` (a scalar's, or a multi-value entry's) into the stored form.
    bool value(StoredKind kind, std::optional<quint64> reference);
    bool textDictionary(std::optional<quint64> reference);

    KeyedArchiveReader m_archive;
    ABRecordCodec::StoredWriter m_stored;
    QString m_key, m_previousKey, m_text;
};

ABRecordRef ArchivedPersonReader::read(const QByteArray &data, const ABRecordRef &source, QStringList *retGroups)
{
    if (!m_archive.open(data) || !m_archive.checkFrame())
        return nullptr;
    const std::optional<Entries> root = dictionary(objectAt(m_archive.rootReference()));
    if (!root)
        return nullptr;
    const BinaryPlistReader &plist = m_archive.plist();
    std::optional<QStringList> groups;
    std::optional<QByteArray> image;
    std::vector<qint64> keys;
    keys.reserve(size_t(root->count()));
    for (quint64 i = 0; i < root->count(); ++i) {
        const std::optional<Object> key = objectAt(plist.reference(root->keys, i));
        if (!key || key->kind != Kind::Integer)
            return nullptr;
        const qint64 number = qint64(plist.unsignedValue(*key));
        // A key given twice means its last value to the general path.
        if (std::find(keys.begin(), keys.end(), number) != keys.end())
            return nullptr;
        keys.push_back(number);
        const quint64 value = plist.reference(root->values, i);
        if (number == ABRecordSerializer::kGroupsKey) {
            if (!groupNames(value, groups.emplace()))
                return nullptr;
        } else if (number == ABRecordSerializer::kImageKey) {
            const std::optional<Object> bytes = objectAt(value);
            if (!bytes || bytes->kind != Kind::Data)
                return nullptr;
            image = plist.data(*bytes);
        } else if (!property(number, value)) {
            return nullptr;
        }
    }
    ABRecordRef person = ABRecord::createPerson(source);
    if (!person || (image && !person->setImageData(*image)))
        return nullptr;
    person->setStoredValues(m_stored.take());
    if (groups && retGroups)
        *retGroups = *groups;
    return person;
}

std::optional<KeyedArchiveReader::Object> ArchivedPersonReader::objectAt(std::optional<quint64> reference) const
{
    const std::optional<quint64> uid = m_archive.plist().uidAt(reference);
    // UID 0 is "$null": nil.
    if (!uid || *uid == 0 || *uid >= m_archive.objectCount())
        return std::nullopt;
    Result<Object> object = m_archive.objectOf(*uid);
    return object ? std::optional<Object>(*object) : std::nullopt;
}

std::optional<KeyedArchiveReader::Fields> ArchivedPersonReader::instance(const std::optional<Object> &object, Class expected)
{
    if (!object || object->kind != Kind::Dictionary)
        return std::nullopt;
    KeyedArchiveReader::Fields fields = m_archive.fieldsOf(*object);
    const Result<Class> type = m_archive.classOf(fields.at[Field::ClassField]);
    if (!type || *type != expected)
        return std::nullopt;
    return fields;
}

std::optional<ArchivedPersonReader::Entries> ArchivedPersonReader::dictionary(const std::optional<Object> &object)
{
    const std::optional<KeyedArchiveReader::Fields> fields = instance(object, Class::Dictionary);
    if (!fields)
        return std::nullopt;
    const Result<Object> keys = m_archive.plist().objectAt(fields->at[Field::KeysField]);
    const Result<Object> values = m_archive.plist().objectAt(fields->at[Field::ObjectsField]);
    if (!keys || !values || !KeyedArchiveReader::isList(*keys) || !KeyedArchiveReader::isList(*values)
        || keys->count != values->count)
        return std::nullopt;
    return Entries{*keys, *values};
}

bool ArchivedPersonReader::text(std::optional<quint64> reference, QString &into) const
{
    const std::optional<Object> object = objectAt(reference);
    if (!object || !KeyedArchiveReader::isText(*object))
        return false;
    into = m_archive.plist().text(*object);
    return true;
}

std::optional<qint64> ArchivedPersonReader::date(std::optional<quint64> reference)
{
    const std::optional<KeyedArchiveReader::Fields> fields = instance(objectAt(reference), Class::Date);
    if (!fields)
        return std::nullopt;
    const Result<qint64> ms = m_archive.dateOf(*fields);
    return ms ? std::optional<qint64>(*ms) : std::nullopt;
}

bool ArchivedPersonReader::groupNames(std::optional<quint64> reference, QStringList &names)
{
    const std::optional<KeyedArchiveReader::Fields> fields = instance(objectAt(reference), Class::Array);
    if (!fields)
        return false;
    const BinaryPlistReader &plist = m_archive.plist();
    const Result<Object> members = plist.objectAt(fields->at[Field::ObjectsField]);
    if (!members || !KeyedArchiveReader::isList(*members))
        return false;
    for (quint64 i = 0; i < members->count; ++i) {
        if (!text(plist.reference(*members, i), m_text))
            return false;
        names.append(m_text);
    }
    return true;
}

bool ArchivedPersonReader::property(qint64 number, std::optional<quint64> reference)
{
    if (number < std::numeric_limits<ABPropertyID>::min() || number > std::numeric_limits<ABPropertyID>::max())
        return false;
    const ABPropertyID property = ABPropertyID(number);
    StoredKind kind = StoredKind::Other;
    bool multi = false;
    switch (ABRecord::typeOfProperty(property)) {
    case kABStringPropertyType: kind = StoredKind::Text; break;
    case kABIntegerPropertyType: kind = StoredKind::Integer; break;
    case kABDateTimePropertyType: kind = StoredKind::Date; break;
    case kABMultiStringPropertyType: kind = StoredKind::Text, multi = true; break;
    case kABMultiDateTimePropertyType: kind = StoredKind::Date, multi = true; break;
    case kABMultiDictionaryPropertyType: kind = StoredKind::Dictionary, multi = true; break;
    default: return false;
    }
    // The dates of the record's life are the address book's own.
    if (property == kABPersonCreationDateProperty || property == kABPersonModificationDateProperty)
        return false;
    if (multi)
        return multiValue(property, kind, reference);
    m_stored.begin(property, kind);
    return value(kind, reference);
}

bool ArchivedPersonReader::value(StoredKind kind, std::optional<quint64> reference)
{
    switch (kind) {
    case StoredKind::Text:
        if (!text(reference, m_text))
            return false;
        m_stored.text(m_text);
        return true;
    case StoredKind::Integer: {
        const std::optional<Object> number = objectAt(reference);
        if (!number || number->kind != Kind::Integer)
            return false;
        m_stored.number(qint64(m_archive.plist().unsignedValue(*number)));
        return true;
    }
    case StoredKind::Date: {
        const std::optional<qint64> ms = date(reference);
        if (!ms)
            return false;
        m_stored.number(*ms);
        return true;
    }
    default:
        return textDictionary(reference);
    }
}

bool ArchivedPersonReader::multiValue(ABPropertyID property, StoredKind kind, std::optional<quint64> reference)
{
    const std::optional<Entries> entries = dictionary(objectAt(reference));
    if (!entries || entries->count() > kEntriesIndexedByThreeDigits)
        return false;
    // No entries: the general path stores nothing.
    if (entries->count() == 0)
        return true;
    m_stored.begin(property, kind, true);
    m_stored.count(quint32(entries->count()));
    const BinaryPlistReader &plist = m_archive.plist();
    int previousIndex = -1;
    for (quint64 i = 0; i < entries->count(); ++i) {
        if (!text(plist.reference(entries->keys, i), m_key) || m_key.size() < 3)
            return false;
        int index = 0;
        for (int digit = 0; digit < 3; ++digit) {
            const char16_t c = m_key[digit].unicode();
            if (c < u'0' || c > u'9')
                return false;
            index = index * 10 + (c - u'0');
        }
        // Entries out of index order are put in order by the general path.
        if (index <= previousIndex)
            return false;
        previousIndex = index;
        // The label is the rest of the key, empty or not.
        m_text = m_key.mid(3);
        m_stored.label(&m_text);
        if (!value(kind, plist.reference(entries->values, i)))
            return false;
    }
    return true;
}

bool ArchivedPersonReader::textDictionary(std::optional<quint64> reference)
{
    const std::optional<Entries> pairs = dictionary(objectAt(reference));
    if (!pairs)
        return false;
    const BinaryPlistReader &plist = m_archive.plist();
    m_stored.count(quint32(pairs->count()));
    for (quint64 j = 0; j < pairs->count(); ++j) {
        // Keys in order and each once, as the general path's map keeps them.
        if (!text(plist.reference(pairs->keys, j), m_key) || (j > 0 && !(m_previousKey < m_key)))
            return false;
        if (!text(plist.reference(pairs->values, j), m_text))
            return false;
        m_stored.text(m_key);
        m_stored.text(m_text);
        std::swap(m_key, m_previousKey);
    }
    return true;
}

} // namespace

std::optional<QByteArray> ABRecordSerializer::personToData(const ABRecord &person, const QStringList &groups)
{
    if (const ABRecordCodec::Stored *stored = person.storedForm()) {
        if (std::optional<QByteArray> data = storedPersonToData(*stored, person, groups))
            return data;
    }
    return dictionaryToData(personDictionary(person, groups));
}

std::optional<QByteArray> ABRecordSerializer::storedPersonToData(const ABRecordCodec::Stored &stored, const ABRecord &person,
                                                                 const QStringList &groups)
{
    // One archive a thread, emptied after each person, so that its tables are made once.
    thread_local StoredPersonArchive archive;
    return archive.write(stored, person, groups);
}

QVariantMap ABRecordSerializer::dictionaryFromMultiValueProperty(const ABMultiValue &multi)
{
    QVariantMap dictionary;
    for (int i = 0; i < multi.count(); ++i) {
        const QVariant value = multi.copyValueAtIndex(i);
        if (elementType(value) == kABInvalidPropertyType)
            continue;
        const QString key = QString::number(i).rightJustified(3, u'0') + multi.copyLabelAtIndex(i).value_or(QString());
        dictionary.insert(key, value);
    }
    return dictionary;
}

std::optional<ABMultiValue> ABRecordSerializer::multiValuePropertyFromDictionary(const KeyedDictionary &dictionary)
{
    if (dictionary.isEmpty())
        return ABMultiValue();
    for (const auto &entry : dictionary.entries()) {
        if (entry.first.metaType().id() != QMetaType::QString)
            return std::nullopt;
    }
    const ABPropertyType type = elementType(dictionary.entries().first().second);
    if (type == kABInvalidPropertyType)
        return std::nullopt;
    ABMultiValue multi(type);
    for (const KeyParts &part : orderedEntries(dictionary.entries())) {
        if (elementType(part.value) != type)
            return std::nullopt;
        QVariant value = part.value;
        if (type == kABMultiDictionaryPropertyType) {
            std::optional<QVariantMap> map = textDictionary(value);
            if (!map)
                return std::nullopt;
            value = *map;
        }
        multi.addValueAndLabel(value, part.key.mid(part.prefix));
    }
    return multi;
}

void ABRecordSerializer::copyProperty(ABPropertyID property, const ABRecord &person, KeyedDictionary &dictionary)
{
    switch (ABRecord::typeOfProperty(property)) {
    case kABStringPropertyType:
    case kABIntegerPropertyType:
    case kABDateTimePropertyType: {
        QVariant value = person.copyValue(property);
        if (value.isValid())
            dictionary.insert(qint64(property), value);
        break;
    }
    case kABMultiStringPropertyType:
    case kABMultiDateTimePropertyType:
    case kABMultiDictionaryPropertyType: {
        ABMultiValue multi = person.copyMultiValue(property);
        if (multi.count() > 0)
            dictionary.insert(qint64(property), dictionaryFromMultiValueProperty(multi));
        break;
    }
    default:
        break;
    }
}

KeyedDictionary ABRecordSerializer::personDictionary(const ABRecord &person, const QStringList &groups)
{
    KeyedDictionary dictionary;
    for (ABPropertyID property : kProperties)
        copyProperty(property, person, dictionary);
    if (archivesSocialProfiles())
        copyProperty(kABPersonSocialProfileProperty, person, dictionary);
    if (person.hasImageData())
        dictionary.insert(qint64(kImageKey), person.copyImageData());
    dictionary.insert(qint64(kGroupsKey), groups);
    return dictionary;
}

std::optional<QByteArray> ABRecordSerializer::dictionaryToData(const KeyedDictionary &dictionary)
{
    Result<QByteArray> data = KeyedArchiver::archivedData(QVariant::fromValue(dictionary));
    if (!data) {
        DevLog::log(QStringLiteral("personToData:withGroups: load catch %1").arg(data.error()));
        return std::nullopt;
    }
    return *data;
}

ABRecordRef ABRecordSerializer::createPersonFromData(const QByteArray &data, const ABRecordRef &source, QStringList *retGroups)
{
    if (ABRecordRef person = storedPersonFromData(data, source, retGroups))
        return person;
    return decodedPersonFromData(data, source, retGroups);
}

ABRecordRef ABRecordSerializer::storedPersonFromData(const QByteArray &data, const ABRecordRef &source, QStringList *retGroups)
{
    return ArchivedPersonReader().read(data, source, retGroups);
}

ABRecordRef ABRecordSerializer::decodedPersonFromData(const QByteArray &data, const ABRecordRef &source, QStringList *retGroups)
{
    Result<QVariant> root = KeyedUnarchiver::unarchive(data);
    if (!root || !isKeyedDictionary(*root)) {
        DevLog::log(QStringLiteral("createPersonFromData:inSource:retGroups: ABRecordSerializer: Couldn't load NSDictionary from NSData."));
        return nullptr;
    }
    ABRecordRef person = ABRecord::createPerson(source);
    if (!person) {
        DevLog::log(QStringLiteral("createPersonFromData:inSource:retGroups: ABPersonCreate... ERROR"));
        return nullptr;
    }
    const KeyedDictionary fields = root->value<KeyedDictionary>();
    for (const auto &[key, value] : fields.entries()) {
        if (key.metaType().id() != QMetaType::LongLong)
            continue;
        const qint64 number = key.toLongLong();
        if (number == kGroupsKey) {
            if (value.metaType().id() != QMetaType::QVariantList)
                return refuse("groups", QStringLiteral("the group list is not a list"));
            QStringList names;
            for (const QVariant &name : value.toList()) {
                if (name.metaType().id() != QMetaType::QString)
                    return refuse("groups", QStringLiteral("a group name is not a text"));
                names.append(name.toString());
            }
            if (retGroups)
                *retGroups = names;
        } else if (number == kImageKey) {
            QString error = QStringLiteral("the image is not data");
            if (value.metaType().id() != QMetaType::QByteArray || !person->setImageData(value.toByteArray(), &error))
                return refuse("photo", error);
        } else if (number >= std::numeric_limits<ABPropertyID>::min() && number <= std::numeric_limits<ABPropertyID>::max()) {
            if (!setProperty(*person, ABPropertyID(number), value))
                return nullptr;
        }
    }
    return person;
}
