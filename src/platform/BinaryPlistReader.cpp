#include "BinaryPlistReader.h"

#include "AsciiText.h"

#include <QtEndian>

#include <cstring>

namespace {

constexpr quint64 kTrailerSize = 32;

} // namespace

Error BinaryPlistReader::damaged(const char *why)
{
    return Error{QStringLiteral("damaged binary property list: %1").arg(QLatin1String(why))};
}

Result<void> BinaryPlistReader::open(QByteArray bytes)
{
    m_bytes = std::move(bytes);
    m_data = reinterpret_cast<const uchar *>(m_bytes.constData());
    const quint64 size = quint64(m_bytes.size());
    if (size < kHeaderSize + kTrailerSize || std::memcmp(m_data, "bplist0", 7) != 0)
        return damaged("too short or no header");
    const quint64 trailer = size - kTrailerSize;
    m_offsetSize = m_data[trailer + 6];
    m_refSize = m_data[trailer + 7];
    m_objectCount = bigEndian(trailer + 8, 8);
    m_top = bigEndian(trailer + 16, 8);
    m_tableAt = bigEndian(trailer + 24, 8);
    if (m_offsetSize < 1 || m_offsetSize > 8 || m_refSize < 1 || m_refSize > 8)
        return damaged("impossible offset or reference sizes");
    if (m_objectCount == 0 || m_top >= m_objectCount)
        return damaged("no top object");
    if (m_tableAt < kHeaderSize || m_tableAt > trailer || m_objectCount > (trailer - m_tableAt) / quint64(m_offsetSize))
        return damaged("an offset table outside the data");
    return {};
}

Result<BinaryPlistReader::Object> BinaryPlistReader::object(quint64 index) const
{
    const quint64 end = m_tableAt;
    const std::optional<quint64> found = offsetOf(index);
    if (!found)
        return damaged("an object outside the data");
    const quint64 offset = *found;
    const uchar marker = m_data[offset];
    const uchar low = marker & 0x0F;
    Object object;
    object.at = offset + 1;
    // A scalar of `width` bytes right after the marker.
    auto scalar = [&](Kind kind, int width) -> Result<Object> {
        if (quint64(width) > end - object.at)
            return damaged("a number outside the data");
        object.kind = kind;
        object.width = width;
        return object;
    };
    switch (marker >> 4) {
    case 0x0:
        object.kind = low == 0 ? Kind::Null : low == 8 || low == 9 ? Kind::Bool : Kind::Other;
        object.flag = low == 9;
        return object;
    case 0x1:
        return low <= 4 ? scalar(Kind::Integer, 1 << low) : damaged("an integer of an impossible size");
    case 0x2:
        return low == 2 || low == 3 ? scalar(Kind::Real, 1 << low) : damaged("a real number of an impossible size");
    case 0x3:
        return low == 3 ? scalar(Kind::Date, 8) : damaged("a date of an impossible size");
    case 0x8:
        return scalar(Kind::Uid, low + 1);
    case 0x4: object.kind = Kind::Data; break;
    case 0x5: object.kind = Kind::Ascii; break;
    case 0x6: object.kind = Kind::Utf16; break;
    case 0xA: object.kind = Kind::Array; break;
    case 0xC: object.kind = Kind::Set; break;
    case 0xD: object.kind = Kind::Dictionary; break;
    default: return object; // Other
    }

    // Sized objects: the count is in the marker, or follows it as an integer object.
    const bool container = object.kind == Kind::Array || object.kind == Kind::Set || object.kind == Kind::Dictionary;
    object.count = low;
    if (low == 0x0F) {
        if (object.at >= end || (m_data[object.at] >> 4) != 0x1 || (m_data[object.at] & 0x0F) > 3)
            return damaged(container ? "a container with an unreadable count" : "an object with an unreadable count");
        const int width = 1 << (m_data[object.at] & 0x0F);
        if (object.at + 1 + quint64(width) > end)
            return damaged(container ? "a container count outside the data" : "an object count outside the data");
        object.count = bigEndian(object.at + 1, width);
        object.at += 1 + quint64(width);
    }
    const quint64 unit = container ? quint64(m_refSize) : object.kind == Kind::Utf16 ? 2 : 1;
    const quint64 units = object.kind == Kind::Dictionary ? 2 : 1;
    // A count larger than the space left is a lie, and must not overflow the sums below.
    if (object.count > end || object.count * units > (end - object.at) / unit)
        return damaged(container ? "a container count larger than the data" : "an object larger than the data");
    object.width = container ? m_refSize : 0;
    return object;
}

Result<BinaryPlistReader::Object> BinaryPlistReader::objectAt(std::optional<quint64> index) const
{
    if (!index || *index >= m_objectCount)
        return damaged("a reference to no object");
    return object(*index);
}

std::optional<quint64> BinaryPlistReader::uidAt(std::optional<quint64> index) const
{
    const std::optional<quint64> offset = index && *index < m_objectCount ? offsetOf(*index) : std::nullopt;
    if (!offset || (m_data[*offset] >> 4) != 0x8)
        return std::nullopt;
    // Checked as object() checks a UID.
    Object uid;
    uid.kind = Kind::Uid;
    uid.at = *offset + 1;
    uid.width = (m_data[*offset] & 0x0F) + 1;
    if (quint64(uid.width) > m_tableAt - uid.at)
        return std::nullopt;
    return unsignedValue(uid);
}

double BinaryPlistReader::real(const Object &object) const
{
    const quint64 bits = unsignedValue(object);
    if (object.width == 4) {
        float single = 0;
        const quint32 low = quint32(bits);
        std::memcpy(&single, &low, sizeof single);
        return double(single);
    }
    double value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

QString BinaryPlistReader::text(const Object &object) const
{
    const char *at = reinterpret_cast<const char *>(m_data + object.at);
    if (object.kind == Kind::Ascii) {
        // Texts of plain ASCII, nearly all of them, need no UTF-8 decoding.
        const QByteArrayView bytes(at, qsizetype(object.count));
        return AsciiText::isAscii(bytes) ? QString::fromLatin1(bytes) : QString::fromUtf8(bytes);
    }
    QString text(qsizetype(object.count), Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(text.data());
    for (quint64 i = 0; i < object.count; ++i)
        out[i] = qFromBigEndian<quint16>(at + 2 * i);
    return text;
}

bool BinaryPlistReader::textEquals(const Object &object, QByteArrayView ascii) const
{
    if (object.count != quint64(ascii.size()))
        return false;
    if (object.kind == Kind::Ascii)
        return std::memcmp(m_data + object.at, ascii.data(), size_t(ascii.size())) == 0;
    if (object.kind != Kind::Utf16)
        return false;
    for (qsizetype i = 0; i < ascii.size(); ++i) {
        if (m_data[object.at + 2 * quint64(i)] != 0 || m_data[object.at + 2 * quint64(i) + 1] != uchar(ascii[i]))
            return false;
    }
    return true;
}

QByteArrayView BinaryPlistReader::payload(const Object &object) const
{
    const quint64 unit = object.kind == Kind::Utf16 ? 2 : 1;
    return QByteArrayView(m_data + object.at, qsizetype(object.count * unit));
}

std::optional<quint64> BinaryPlistReader::valueOf(const Object &dictionary, QByteArrayView key) const
{
    for (quint64 i = 0; i < dictionary.count; ++i) {
        const quint64 keyIndex = reference(dictionary, i);
        if (keyIndex >= m_objectCount)
            continue;
        if (const Result<Object> keyObject = object(keyIndex); keyObject && textEquals(*keyObject, key))
            return reference(dictionary, dictionary.count + i);
    }
    return std::nullopt;
}
