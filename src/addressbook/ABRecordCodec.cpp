#include "ABRecordCodec.h"

#include "ABMultiValue.h"
#include "platform/ByteAppend.h"

#include <QDateTime>
#include <QtEndian>

#include <algorithm>
#include <cstring>

// A flat little-endian layout read and written with plain copies: loading every person of a
// large address book spends its time here.

namespace {

constexpr quint8 kFormatVersion = 2;

enum Tag : quint8 { TagText = 1, TagInteger = 2, TagReal = 3, TagDate = 4, TagDictionary = 5, TagMulti = 0x80 };

class Writer {
public:
    explicit Writer(qsizetype room) : m_out(room) {}
    template <typename T>
    void put(T value)
    {
        T little = qToLittleEndian(value);
        m_out.put(&little, sizeof little);
    }
    void put(const QString &text)
    {
        put(quint32(text.size()));
        // constData, not utf16(): that copies a string made from a literal to end it with a 0.
        m_out.put(text.constData(), size_t(text.size()) * 2);
    }
    void putRaw(const void *bytes, size_t n) { m_out.put(bytes, n); }
    void patch(qsizetype offset, const void *bytes, size_t n) { m_out.patch(offset, bytes, n); }
    QByteArray take() { return m_out.take(); }

private:
    ByteWriter m_out;
};

class Reader {
public:
    explicit Reader(const QByteArray &in, qsizetype from = 0) : m_p(in.constData() + from), m_end(in.constData() + in.size()) {}
    Reader(const char *from, const char *end) : m_p(from), m_end(end) {}
    bool ok() const { return m_ok; }
    const char *position() const { return m_p; }
    template <typename T>
    T get()
    {
        T value{};
        if (size_t(m_end - m_p) < sizeof value) {
            m_ok = false;
            return value;
        }
        std::memcpy(&value, m_p, sizeof value);
        m_p += sizeof value;
        return qFromLittleEndian(value);
    }
    void skip(size_t bytes)
    {
        if (size_t(m_end - m_p) < bytes) {
            m_ok = false;
            m_p = m_end;
            return;
        }
        m_p += bytes;
    }
    void skipText() { skip(size_t(get<quint32>()) * 2); }
    QString text()
    {
        const quint32 n = textLength();
        if (!m_ok)
            return QString();
        QString s(qsizetype(n), Qt::Uninitialized);
        std::memcpy(s.data(), m_p, size_t(n) * 2);
        m_p += size_t(n) * 2;
        return s;
    }
    // A text into a string whose buffer is reused when it is large enough.
    void textInto(QString &s)
    {
        const quint32 n = textLength();
        if (!m_ok) {
            s.resize(0);
            return;
        }
        s.resize(qsizetype(n));
        std::memcpy(s.data(), m_p, size_t(n) * 2);
        m_p += size_t(n) * 2;
    }
    // Whether the text that comes next has characters, all of them there; the reader passes it.
    bool nextTextHasCharacters()
    {
        const quint32 n = textLength();
        skip(size_t(n) * 2);
        return m_ok && n > 0;
    }
    // Whether the text that comes next is `wanted`; the reader stays where it is.
    bool nextTextIs(const QString &wanted) const
    {
        quint32 n;
        if (size_t(m_end - m_p) < sizeof n)
            return false;
        std::memcpy(&n, m_p, sizeof n);
        n = qFromLittleEndian(n);
        return n == quint32(wanted.size()) && size_t(m_end - m_p - sizeof n) / 2 >= n
            && std::memcmp(m_p + sizeof n, wanted.constData(), size_t(n) * 2) == 0;
    }

private:
    // The length of the text that comes next, its characters all there.
    quint32 textLength()
    {
        const quint32 n = get<quint32>();
        if (m_ok && size_t(m_end - m_p) / 2 < n)
            m_ok = false;
        return n;
    }

    const char *m_p;
    const char *m_end;
    bool m_ok = true;
};

quint8 tagOf(const QVariant &value)
{
    switch (value.metaType().id()) {
    case QMetaType::QString: return TagText;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Bool: return TagInteger;
    case QMetaType::Double:
    case QMetaType::Float: return TagReal;
    case QMetaType::QDateTime: return TagDate;
    case QMetaType::QVariantMap: return TagDictionary;
    default: return 0;
    }
}

void writeScalar(Writer &out, quint8 tag, const QVariant &value)
{
    switch (tag) {
    case TagText: out.put(value.toString()); break;
    case TagInteger: out.put(qint64(value.toLongLong())); break;
    case TagReal: out.put(value.toDouble()); break;
    case TagDate: out.put(qint64(value.toDateTime().toMSecsSinceEpoch())); break;
    case TagDictionary: {
        const QVariantMap map = value.toMap();
        out.put(quint32(map.size()));
        for (auto it = map.begin(); it != map.end(); ++it) {
            out.put(it.key());
            out.put(it.value().toString());
        }
        break;
    }
    default: break;
    }
}

QVariant readScalar(Reader &in, quint8 tag)
{
    switch (tag) {
    case TagText: return in.text();
    case TagInteger: return in.get<qint64>();
    case TagReal: return in.get<double>();
    case TagDate: return QDateTime::fromMSecsSinceEpoch(in.get<qint64>(), Qt::UTC);
    case TagDictionary: {
        quint32 n = in.get<quint32>();
        QVariantMap map;
        for (quint32 i = 0; i < n && in.ok(); ++i) {
            QString key = in.text();
            map.insert(key, in.text());
        }
        return map;
    }
    default: return QVariant();
    }
}

void skipScalar(Reader &in, quint8 tag)
{
    switch (tag) {
    case TagText: in.skipText(); break;
    case TagInteger:
    case TagReal:
    case TagDate: in.skip(8); break;
    case TagDictionary: {
        quint32 n = in.get<quint32>();
        for (quint32 i = 0; i < n && in.ok(); ++i) {
            in.skipText();
            in.skipText();
        }
        break;
    }
    default: break;
    }
}

quint8 baseTagOfMulti(ABPropertyType type)
{
    switch (type) {
    case kABMultiDateTimePropertyType: return TagDate;
    case kABMultiDictionaryPropertyType: return TagDictionary;
    default: return TagText;
    }
}

ABPropertyType multiTypeOfTag(quint8 tag)
{
    switch (tag) {
    case TagDate: return kABMultiDateTimePropertyType;
    case TagDictionary: return kABMultiDictionaryPropertyType;
    default: return kABMultiStringPropertyType;
    }
}

// One property: its identifier, its tag and its value.
void writeProperty(Writer &out, ABPropertyID property, const QVariant &value)
{
    out.put(qint32(property));
    if (isMultiValue(value)) {
        const ABMultiValue multi = value.value<ABMultiValue>();
        const quint8 base = baseTagOfMulti(multi.propertyType());
        out.put(quint8(TagMulti | base));
        out.put(quint32(multi.count()));
        for (const ABMultiValue::Entry &entry : multi.entries()) {
            out.put(quint8(entry.label.has_value()));
            out.put(entry.label.value_or(QString()));
            writeScalar(out, base, entry.value);
        }
    } else {
        const quint8 tag = tagOf(value);
        out.put(tag);
        writeScalar(out, tag, value);
    }
}

} // namespace

QByteArray ABRecordCodec::encode(const QHash<ABPropertyID, QVariant> &values)
{
    // Room for most people at once; take() gives back what is left over.
    Writer out(1024);
    out.put(kFormatVersion);
    out.put(quint32(values.size()));
    for (auto it = values.begin(); it != values.end(); ++it)
        writeProperty(out, it.key(), it.value());
    return out.take();
}

namespace {

QVariant readValue(Reader &in, quint8 tag)
{
    if (!(tag & TagMulti))
        return readScalar(in, tag);
    quint8 base = tag & ~TagMulti;
    ABMultiValue multi(multiTypeOfTag(base));
    quint32 n = in.get<quint32>();
    multi.reserve(int(qMin<quint32>(n, 1024)));
    for (quint32 j = 0; j < n && in.ok(); ++j) {
        bool hasLabel = in.get<quint8>() != 0;
        QString label = in.text();
        QVariant value = readScalar(in, base);
        multi.addValueAndLabel(value, hasLabel ? std::optional<QString>(label) : std::nullopt);
    }
    return QVariant::fromValue(std::move(multi));
}

void skipValue(Reader &in, quint8 tag)
{
    if (!(tag & TagMulti)) {
        skipScalar(in, tag);
        return;
    }
    quint8 base = tag & ~TagMulti;
    quint32 n = in.get<quint32>();
    for (quint32 j = 0; j < n && in.ok(); ++j) {
        in.skip(1);
        in.skipText();
        skipScalar(in, base);
    }
}

} // namespace

bool ABRecordCodec::decode(const QByteArray &bytes, QHash<ABPropertyID, QVariant> &values)
{
    Reader in(bytes);
    if (in.get<quint8>() != kFormatVersion)
        return false;
    quint32 count = in.get<quint32>();
    values.reserve(qsizetype(qMin<quint32>(count, 64)));
    for (quint32 i = 0; i < count && in.ok(); ++i) {
        qint32 property = in.get<qint32>();
        quint8 tag = in.get<quint8>();
        QVariant value = readValue(in, tag);
        if (in.ok())
            values.insert(property, std::move(value));
    }
    return in.ok();
}

void ABRecordCodec::Stored::assign(QByteArray bytes)
{
    m_bytes = std::move(bytes);
    m_offsets.clear();
    m_otherPlaces.clear();
    m_placed = false;
}

std::optional<quint32> ABRecordCodec::Stored::placeOf(ABPropertyID wanted) const
{
    if (!m_placed) {
        m_placed = true;
        Reader in(m_bytes);
        if (in.get<quint8>() != kFormatVersion)
            return std::nullopt;
        const quint32 count = in.get<quint32>();
        m_offsets.assign(kNumberedPlaces, 0);
        for (quint32 i = 0; i < count && in.ok(); ++i) {
            const qint32 property = in.get<qint32>();
            const quint32 offset = quint32(in.position() - m_bytes.constData());
            skipValue(in, in.get<quint8>());
            if (!in.ok())
                break;
            // A property stored twice is read at its first place.
            if (property >= 0 && property < kNumberedPlaces) {
                if (m_offsets[size_t(property)] == 0)
                    m_offsets[size_t(property)] = offset;
            } else {
                m_otherPlaces.push_back({property, offset});
            }
        }
    }
    if (wanted >= 0 && wanted < kNumberedPlaces) {
        // Offset 0 is the format version, never a tag.
        if (m_offsets.empty() || m_offsets[size_t(wanted)] == 0)
            return std::nullopt;
        return m_offsets[size_t(wanted)];
    }
    for (const Place &place : m_otherPlaces) {
        if (place.property == wanted)
            return place.offset;
    }
    return std::nullopt;
}

QVariant ABRecordCodec::Stored::value(ABPropertyID wanted) const
{
    const std::optional<quint32> place = placeOf(wanted);
    if (!place)
        return QVariant();
    Reader in(m_bytes, *place);
    return readValue(in, in.get<quint8>());
}

QString ABRecordCodec::Stored::text(ABPropertyID wanted) const
{
    const std::optional<quint32> place = placeOf(wanted);
    if (!place)
        return QString();
    Reader in(m_bytes, *place);
    const quint8 tag = in.get<quint8>();
    return tag == TagText ? in.text() : readValue(in, tag).toString();
}

bool ABRecordCodec::Stored::hasText(ABPropertyID wanted) const
{
    const std::optional<quint32> place = placeOf(wanted);
    if (!place)
        return false;
    Reader in(m_bytes, *place);
    const quint8 tag = in.get<quint8>();
    return tag == TagText ? in.nextTextHasCharacters() : !readValue(in, tag).toString().isEmpty();
}

ABRecordCodec::EntryCount ABRecordCodec::Stored::countEntries(ABPropertyID wanted) const
{
    EntryCount count;
    const std::optional<quint32> place = placeOf(wanted);
    if (!place)
        return count;
    Reader in(m_bytes, *place);
    const quint8 tag = in.get<quint8>();
    if (!(tag & TagMulti))
        return count;
    // The same steps as readValue, which keeps each entry it began to read.
    const quint32 n = in.get<quint32>();
    for (quint32 j = 0; j < n && in.ok(); ++j) {
        if (in.get<quint8>() != 0)
            ++count.labelled;
        in.skipText();
        skipScalar(in, quint8(tag & ~TagMulti));
        ++count.all;
    }
    return count;
}

ABRecordCodec::EntryTexts::EntryTexts(QStringList keys) : m_keys(std::move(keys)), m_fields(size_t(qMax<qsizetype>(m_keys.size(), 1)))
{
}

void ABRecordCodec::EntryTexts::takeFields(const QVariant &value)
{
    if (m_keys.isEmpty()) {
        m_fields[0] = value.toString();
        return;
    }
    const QVariantMap map = value.toMap();
    for (qsizetype k = 0; k < m_keys.size(); ++k)
        m_fields[size_t(k)] = map.value(m_keys[k]).toString();
}

void ABRecordCodec::EntryTexts::forEach(const ABMultiValue &values, const Visit &visit)
{
    for (const ABMultiValue::Entry &entry : values.entries()) {
        m_label = entry.label;
        takeFields(entry.value);
        visit(*this);
    }
}

namespace {

// The values of `keys` in a stored dictionary, each into its field; a field stays empty when
// the dictionary has no such key.
void readDictionaryFields(Reader &in, const QStringList &keys, std::vector<QString> &fields)
{
    for (QString &field : fields)
        field.resize(0);
    const quint32 n = in.get<quint32>();
    for (quint32 i = 0; i < n && in.ok(); ++i) {
        const auto key = std::find_if(keys.begin(), keys.end(), [&in](const QString &k) { return in.nextTextIs(k); });
        in.skipText();
        if (key == keys.end())
            in.skipText();
        else
            in.textInto(fields[size_t(key - keys.begin())]);
    }
}

} // namespace

void ABRecordCodec::Stored::forEachEntry(ABPropertyID wanted, EntryTexts &entry, const EntryTexts::Visit &visit) const
{
    const std::optional<quint32> place = placeOf(wanted);
    if (!place)
        return;
    Reader in(m_bytes, *place);
    const quint8 tag = in.get<quint8>();
    if (!(tag & TagMulti))
        return;
    const quint8 base = quint8(tag & ~TagMulti);
    // Texts and dictionaries are read where they are stored; another kind goes through a variant.
    const bool inPlace = base == (entry.m_keys.isEmpty() ? TagText : TagDictionary);
    const quint32 n = in.get<quint32>();
    for (quint32 j = 0; j < n && in.ok(); ++j) {
        if (in.get<quint8>() != 0) {
            if (!entry.m_label)
                entry.m_label.emplace();
            in.textInto(*entry.m_label);
        } else {
            entry.m_label.reset();
            in.skipText();
        }
        if (!inPlace)
            entry.takeFields(readScalar(in, base));
        else if (base == TagText)
            in.textInto(entry.m_fields[0]);
        else
            readDictionaryFields(in, entry.m_keys, entry.m_fields);
        visit(entry);
    }
}

QByteArray ABRecordCodec::withValues(const QByteArray &bytes, std::initializer_list<ValueChange> changes)
{
    Reader in(bytes);
    if (in.get<quint8>() != kFormatVersion)
        return QByteArray();
    const quint32 count = in.get<quint32>();
    Writer writer(bytes.size() + 16 * changes.size());
    writer.put(kFormatVersion);
    writer.put(quint32(0)); // the count, known at the end
    quint32 written = 0;
    auto changed = [&changes](qint32 property) {
        return std::any_of(changes.begin(), changes.end(), [property](const ValueChange &change) { return change.first == property; });
    };
    // Runs of properties left as they are are copied in one piece each.
    const char *run = in.position();
    for (quint32 i = 0; i < count && in.ok(); ++i) {
        const char *start = in.position();
        const qint32 property = in.get<qint32>();
        skipValue(in, in.get<quint8>());
        if (!changed(property)) {
            ++written;
        } else if (in.ok()) {
            writer.putRaw(run, size_t(start - run));
            run = in.position();
        }
    }
    if (!in.ok())
        return QByteArray();
    writer.putRaw(run, size_t(in.position() - run));
    for (const auto &[property, value] : changes) {
        if (value.isValid()) {
            writeProperty(writer, property, value);
            ++written;
        }
    }
    const quint32 little = qToLittleEndian(written);
    writer.patch(1, &little, sizeof little);
    return writer.take();
}

ABRecordCodec::StoredValue::StoredValue(const Stored &record, ABPropertyID property)
{
    const std::optional<quint32> place = record.placeOf(property);
    if (!place)
        return;
    m_p = record.m_bytes.constData() + *place;
    m_end = record.m_bytes.constData() + record.m_bytes.size();
    const quint8 tag = read<quint8>();
    m_multi = (tag & TagMulti) != 0;
    switch (tag & ~TagMulti) {
    case TagText: m_kind = Kind::Text; break;
    case TagInteger: m_kind = Kind::Integer; break;
    case TagReal: m_kind = Kind::Real; break;
    case TagDate: m_kind = Kind::Date; break;
    case TagDictionary: m_kind = Kind::Dictionary; break;
    default: m_kind = Kind::Other; break;
    }
}

template <typename T>
T ABRecordCodec::StoredValue::read()
{
    Reader in(m_p, m_end);
    const T value = in.get<T>();
    m_p = in.position();
    m_ok = m_ok && in.ok();
    return value;
}

quint32 ABRecordCodec::StoredValue::count()
{
    return read<quint32>();
}

qint64 ABRecordCodec::StoredValue::number()
{
    return read<qint64>();
}

bool ABRecordCodec::StoredValue::label(QString &label)
{
    const bool hasLabel = read<quint8>() != 0;
    text(label);
    // The text stored for an entry without a label is not its label.
    if (!hasLabel)
        label.resize(0);
    return hasLabel;
}

void ABRecordCodec::StoredValue::text(QString &text)
{
    Reader in(m_p, m_end);
    in.textInto(text);
    m_p = in.position();
    m_ok = m_ok && in.ok();
}

ABRecordCodec::StoredWriter::StoredWriter() : m_out(1024)
{
    start();
}

void ABRecordCodec::StoredWriter::start()
{
    put(kFormatVersion);
    put(quint32(0)); // the count of properties, known at the end
    m_properties = 0;
}

template <typename T>
void ABRecordCodec::StoredWriter::put(T value)
{
    const T little = qToLittleEndian(value);
    m_out.put(&little, sizeof little);
}

void ABRecordCodec::StoredWriter::begin(ABPropertyID property, StoredValue::Kind kind, bool multi)
{
    quint8 tag = 0;
    switch (kind) {
    case StoredValue::Kind::Text: tag = TagText; break;
    case StoredValue::Kind::Integer: tag = TagInteger; break;
    case StoredValue::Kind::Date: tag = TagDate; break;
    case StoredValue::Kind::Dictionary: tag = TagDictionary; break;
    default: Q_ASSERT(false); break;
    }
    put(qint32(property));
    put(quint8(multi ? (TagMulti | tag) : tag));
    ++m_properties;
}

void ABRecordCodec::StoredWriter::count(quint32 count)
{
    put(count);
}

void ABRecordCodec::StoredWriter::label(const QString *label)
{
    put(quint8(label != nullptr));
    text(label ? QStringView(*label) : QStringView());
}

void ABRecordCodec::StoredWriter::text(QStringView text)
{
    put(quint32(text.size()));
    m_out.put(text.data(), size_t(text.size()) * 2);
}

void ABRecordCodec::StoredWriter::number(qint64 value)
{
    put(value);
}

QByteArray ABRecordCodec::StoredWriter::take()
{
    const quint32 little = qToLittleEndian(m_properties);
    m_out.patch(1, &little, sizeof little);
    QByteArray bytes = m_out.take();
    start();
    return bytes;
}
