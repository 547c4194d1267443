#include "BinaryPlistWriter.h"

#include "ByteAppend.h"

#include <QIODevice>
#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace {

int bytesFor(quint64 value)
{
    return value <= 0xFF ? 1 : value <= 0xFFFF ? 2 : value <= 0xFFFFFFFFu ? 4 : 8;
}

// Writes where room was made beforehand: a whole archived person is laid out with one check of
// its size instead of one per byte.
class RawBytes {
public:
    explicit RawBytes(char *at) : m_start(at), m_at(at) {}
    void put(char byte) { *m_at++ = byte; }
    void put(const void *bytes, size_t n)
    {
        if (n > 0)
            std::memcpy(m_at, bytes, n);
        m_at += n;
    }
    void put(QByteArrayView bytes) { put(bytes.data(), size_t(bytes.size())); }
    qsizetype size() const { return m_at - m_start; }

private:
    char *m_start;
    char *m_at;
};

// The low `width` bytes of `value`, most significant first. An archived person's references
// take one byte and its offsets two: those go in without a copy call.
template <typename Out>
void appendBigEndian(Out &out, quint64 value, int width)
{
    if (width <= 2) {
        if (width == 2)
            out.put(char((value >> 8) & 0xFF));
        out.put(char(value & 0xFF));
        return;
    }
    char bytes[8];
    qToBigEndian(value, bytes);
    out.put(bytes + 8 - width, size_t(width));
}

// An integer object: 1, 2, 4 or 8 bytes; negative numbers take 8 bytes.
template <typename Out>
void appendInteger(Out &out, qint64 value)
{
    const int width = value < 0 ? 8 : bytesFor(quint64(value));
    const int power = width == 1 ? 0 : width == 2 ? 1 : width == 4 ? 2 : 3;
    out.put(char(0x10 | power));
    appendBigEndian(out, quint64(value), width);
}

// The marker of a sized object; counts of 15 and more follow as an integer object.
template <typename Out>
void appendMarker(Out &out, quint8 kind, quint64 count)
{
    if (count < 15) {
        out.put(char((kind << 4) | count));
    } else {
        out.put(char((kind << 4) | 0x0F));
        appendInteger(out, qint64(count));
    }
}

// FNV-1a over the UTF-16 units: archives add mostly short texts (keys, labels, class names),
// for which Qt's general hash costs several times as much. Tells in the same pass whether the
// text is ASCII.
size_t hashOf(QStringView text, bool &ascii)
{
    quint64 hash = 0xcbf29ce484222325u;
    char16_t bits = 0;
    for (QChar c : text) {
        hash = (hash ^ c.unicode()) * 0x100000001b3u;
        bits |= c.unicode();
    }
    ascii = bits < 0x80;
    return size_t(hash ^ (hash >> 32));
}

} // namespace

BinaryPlistWriter::BinaryPlistWriter()
{
    // Room for one archived person at once: a backup makes one list per person.
    m_objects.reserve(256);
    m_children.reserve(512);
    m_texts.reserve(2048);
    m_textSlots.resize(128);
    m_uids.reserve(256);
}

void BinaryPlistWriter::clear()
{
    m_objects.clear();
    m_children.clear();
    m_payloads.clear();
    m_texts.resize(0);
    std::fill(m_textSlots.begin(), m_textSlots.end(), TextSlot{0, 0});
    m_textCount = 0;
    m_uids.clear();
    m_laidOut = 0;
    m_offsets.clear();
    m_written = 0;
}

BinaryPlistWriter::Ref BinaryPlistWriter::add(const Object &object)
{
    m_objects.push_back(object);
    return Ref(m_objects.size() - 1);
}

bool BinaryPlistWriter::holds(const Object &object, QStringView text) const
{
    if (object.count != quint32(text.size()))
        return false;
    const uchar *bytes = reinterpret_cast<const uchar *>(m_texts.constData() + object.number);
    if (object.kind == Kind::Ascii)
        return std::equal(text.begin(), text.end(), bytes, [](QChar c, uchar b) { return c.unicode() == b; });
    for (QChar c : text) {
        if (c.unicode() != ((bytes[0] << 8) | bytes[1]))
            return false;
        bytes += 2;
    }
    return true;
}

void BinaryPlistWriter::growTextSlots()
{
    std::vector<TextSlot> slots(m_textSlots.size() * 2);
    const size_t mask = slots.size() - 1;
    for (const TextSlot &slot : m_textSlots) {
        if (slot.refPlusOne == 0)
            continue;
        size_t at = slot.hash & mask;
        while (slots[at].refPlusOne != 0)
            at = (at + 1) & mask;
        slots[at] = slot;
    }
    m_textSlots.swap(slots);
}

BinaryPlistWriter::Ref BinaryPlistWriter::addString(QStringView text)
{
    // Kept at most half full, so that a probe ends soon at the text or a free slot.
    if (2 * (m_textCount + 1) > m_textSlots.size())
        growTextSlots();
    bool ascii = false;
    const size_t hash = hashOf(text, ascii);
    const size_t mask = m_textSlots.size() - 1;
    size_t at = hash & mask;
    for (; m_textSlots[at].refPlusOne != 0; at = (at + 1) & mask) {
        const TextSlot &slot = m_textSlots[at];
        if (slot.hash == hash && holds(m_objects[slot.refPlusOne - 1], text))
            return slot.refPlusOne - 1;
    }
    const qsizetype offset = m_texts.size();
    m_texts.resize(offset + text.size() * (ascii ? 1 : 2));
    char *out = m_texts.data() + offset;
    if (ascii) {
        std::transform(text.begin(), text.end(), out, [](QChar c) { return char(c.unicode()); });
    } else {
        for (QChar c : text) {
            *out++ = char(c.unicode() >> 8);
            *out++ = char(c.unicode() & 0xFF);
        }
    }
    const Ref ref = add({ascii ? Kind::Ascii : Kind::Utf16, quint64(offset), 0, quint32(text.size())});
    m_textSlots[at] = {hash, ref + 1};
    ++m_textCount;
    return ref;
}

BinaryPlistWriter::Ref BinaryPlistWriter::addInteger(qint64 value)
{
    return add({Kind::Integer, quint64(value)});
}

BinaryPlistWriter::Ref BinaryPlistWriter::addReal(double value)
{
    quint64 bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return add({Kind::Real, bits});
}

BinaryPlistWriter::Ref BinaryPlistWriter::addBool(bool value)
{
    return add({Kind::Bool, value ? 1u : 0u});
}

BinaryPlistWriter::Ref BinaryPlistWriter::addData(const QByteArray &data)
{
    m_payloads.push_back(data);
    return add({Kind::Data, m_payloads.size() - 1});
}

BinaryPlistWriter::Ref BinaryPlistWriter::addUid(quint64 uid)
{
    // Archives number their objects as they go: grown in steps, not by one each time.
    if (uid >= m_uids.size())
        m_uids.resize(std::max(size_t(uid) + 1, 2 * m_uids.size()), kNone);
    Ref &ref = m_uids[size_t(uid)];
    if (ref == kNone)
        ref = add({Kind::Uid, uid});
    return ref;
}

BinaryPlistWriter::Ref BinaryPlistWriter::addArray(std::span<const Ref> members)
{
    const quint32 first = quint32(m_children.size());
    m_children.insert(m_children.end(), members.begin(), members.end());
    return add({Kind::Array, 0, first, quint32(members.size())});
}

BinaryPlistWriter::Ref BinaryPlistWriter::addDictionary(std::initializer_list<std::pair<Ref, Ref>> entries)
{
    // Laid out as the format wants it: every key, then every value.
    const quint32 first = quint32(m_children.size());
    for (const auto &entry : entries)
        m_children.push_back(entry.first);
    for (const auto &entry : entries)
        m_children.push_back(entry.second);
    return add({Kind::Dictionary, 0, first, quint32(entries.size())});
}

template <typename Out>
void BinaryPlistWriter::appendObject(Out &out, const Object &object, int refSize) const
{
    switch (object.kind) {
    case Kind::Ascii:
        appendMarker(out, 0x5, object.count);
        out.put(m_texts.constData() + object.number, size_t(object.count));
        break;
    case Kind::Utf16:
        appendMarker(out, 0x6, object.count);
        out.put(m_texts.constData() + object.number, size_t(object.count) * 2);
        break;
    case Kind::Data:
        appendMarker(out, 0x4, quint64(m_payloads[object.number].size()));
        out.put(QByteArrayView(m_payloads[object.number]));
        break;
    case Kind::Integer:
        appendInteger(out, qint64(object.number));
        break;
    case Kind::Real:
        out.put(char(0x23));
        appendBigEndian(out, object.number, 8);
        break;
    case Kind::Bool:
        out.put(char(object.number ? 0x09 : 0x08));
        break;
    case Kind::Uid: {
        const int width = bytesFor(object.number);
        out.put(char(0x80 | (width - 1)));
        appendBigEndian(out, object.number, width);
        break;
    }
    case Kind::Array:
    case Kind::Dictionary: {
        const bool dictionary = object.kind == Kind::Dictionary;
        appendMarker(out, dictionary ? 0xD : 0xA, object.count);
        const quint32 refs = dictionary ? object.count * 2 : object.count;
        for (quint32 i = 0; i < refs; ++i)
            appendBigEndian(out, m_children[object.first + i], refSize);
        break;
    }
    }
}

template <typename Out>
void BinaryPlistWriter::appendTrailer(Out &out, const std::vector<quint64> &offsets, quint64 tableOffset, int refSize, Ref top)
{
    const int offsetSize = bytesFor(tableOffset);
    for (quint64 offset : offsets)
        appendBigEndian(out, offset, offsetSize);
    out.put("\0\0\0\0\0\0", 6);
    out.put(char(offsetSize));
    out.put(char(refSize));
    appendBigEndian(out, offsets.size(), 8);
    appendBigEndian(out, top, 8);
    appendBigEndian(out, tableOffset, 8);
}

QByteArray BinaryPlistWriter::finish(Ref top) const
{
    const int refSize = bytesFor(m_objects.size());
    // The most the list can take: a marker and a count of up to 9 bytes besides each object's
    // payload, and an offset of up to 8 bytes for each in the table.
    qsizetype most = 8 + 32 + qsizetype(m_children.size()) * refSize + qsizetype(m_objects.size()) * (1 + 9 + 8);
    for (const QByteArray &payload : m_payloads)
        most += payload.size();
    most += m_texts.size();
    QByteArray bytes(most, Qt::Uninitialized);
    RawBytes out(bytes.data());
    out.put("bplist00", 8);
    std::vector<quint64> offsets;
    offsets.reserve(m_objects.size());
    for (const Object &object : m_objects) {
        offsets.push_back(quint64(out.size()));
        appendObject(out, object, refSize);
    }
    appendTrailer(out, offsets, quint64(out.size()), refSize, top);
    Q_ASSERT(out.size() <= most);
    // A caller may hold thousands of these: no larger than they are.
    bytes.truncate(out.size());
    bytes.squeeze();
    return bytes;
}

bool BinaryPlistWriter::writeObjects(QIODevice &out, int refSize)
{
    ByteWriter bytes;
    if (m_written == 0 && m_laidOut == 0)
        bytes.put("bplist00", 8);
    for (; m_laidOut < m_objects.size(); ++m_laidOut) {
        const Object &object = m_objects[m_laidOut];
        const bool container = object.kind == Kind::Array || object.kind == Kind::Dictionary;
        if (container && refSize == 0)
            break;
        m_offsets.push_back(m_written + quint64(bytes.size()));
        appendObject(bytes, object, refSize);
        if (object.kind == Kind::Data)
            m_payloads[object.number] = QByteArray();
    }
    m_written += quint64(bytes.size());
    return out.write(bytes.view().data(), bytes.size()) == bytes.size();
}

bool BinaryPlistWriter::writeReadyTo(QIODevice &out)
{
    return writeObjects(out, 0);
}

bool BinaryPlistWriter::finishTo(QIODevice &out, Ref top)
{
    const int refSize = bytesFor(m_objects.size());
    if (!writeObjects(out, refSize))
        return false;
    ByteWriter trailer;
    appendTrailer(trailer, m_offsets, m_written, refSize, top);
    return out.write(trailer.view().data(), trailer.size()) == trailer.size();
}
