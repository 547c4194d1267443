#pragma once

#include "Result.h"

#include <QByteArray>
#include <QString>
#include <QtEndian>

#include <optional>

// Reads a binary property list ("bplist00") where it lies: an object is found through the
// offset table when it is asked for, and only the values asked for are built. Every read is
// bounded by the bytes, so a damaged list gives errors, never reads outside them; whether the
// containers nest soundly (cycles, depth) is BinaryPlistCheck's to say.
class BinaryPlistReader {
public:
    enum class Kind { Null, Bool, Integer, Real, Date, Data, Ascii, Utf16, Uid, Array, Set, Dictionary, Other };
    struct Object {
        Kind kind = Kind::Other;
        quint64 count = 0; // texts: characters; data: bytes; arrays and sets: members; dictionaries: entries
        quint64 at = 0;    // where the payload (or the references) starts
        int width = 0;     // integers, reals and UIDs: the payload's bytes; containers: bytes per reference
        bool flag = false; // booleans
    };

    // "damaged binary property list: `why`".
    static Error damaged(const char *why);

    // Checks the header, the trailer and the offset table of `bytes`, which it then reads.
    Result<void> open(QByteArray bytes);
    quint64 objectCount() const { return m_objectCount; }
    quint64 topObject() const { return m_top; }

    // The object at `index` (below objectCount()), its payload checked to lie in the data.
    Result<Object> object(quint64 index) const;
    // The same for a reference that may be missing or point past the last object.
    Result<Object> objectAt(std::optional<quint64> index) const;
    // The value of the UID object at `index`; none when there is no such object or it is not
    // a UID. Cheaper than objectAt for the references that fill a keyed archive.
    std::optional<quint64> uidAt(std::optional<quint64> index) const;
    // Reference `i` of a container; a dictionary's keys come first, then its values. The
    // answer may be beyond objectCount() in a damaged list.
    quint64 reference(const Object &container, quint64 i) const
    {
        return bigEndian(container.at + i * quint64(container.width), container.width);
    }
    // The value of an Integer (the low 64 bits of a 16-byte one), Real or Uid.
    quint64 unsignedValue(const Object &object) const
    {
        const int width = qMin(object.width, 8);
        return bigEndian(object.at + quint64(object.width - width), width);
    }
    double real(const Object &object) const;
    // An Ascii (read as UTF-8, as other readers do) or Utf16 text.
    QString text(const Object &object) const;
    bool textEquals(const Object &object, QByteArrayView ascii) const;
    QByteArray data(const Object &object) const { return payload(object).toByteArray(); }
    // The stored bytes of a Data or text object (UTF-16 as big-endian pairs).
    QByteArrayView payload(const Object &object) const;
    // The object a dictionary holds under the text key `key`: the first such entry.
    std::optional<quint64> valueOf(const Object &dictionary, QByteArrayView key) const;

private:
    static constexpr quint64 kHeaderSize = 8; // "bplist00"
    // Where object `index` (below objectCount()) starts; none when that lies outside the objects.
    std::optional<quint64> offsetOf(quint64 index) const
    {
        const quint64 offset = bigEndian(m_tableAt + index * quint64(m_offsetSize), m_offsetSize);
        if (offset < kHeaderSize || offset >= m_tableAt)
            return std::nullopt;
        return offset;
    }
    // Called for every offset and reference read: defined here, so that it is inlined.
    quint64 bigEndian(quint64 at, int width) const
    {
        // Offsets and references take one to eight bytes; the usual widths are read in one go.
        const uchar *bytes = m_data + at;
        switch (width) {
        case 1: return bytes[0];
        case 2: return qFromBigEndian<quint16>(bytes);
        case 4: return qFromBigEndian<quint32>(bytes);
        case 8: return qFromBigEndian<quint64>(bytes);
        default: break;
        }
        quint64 value = 0;
        for (int i = 0; i < width; ++i)
            value = (value << 8) | bytes[i];
        return value;
    }

    QByteArray m_bytes;
    const uchar *m_data = nullptr;
    int m_offsetSize = 0;
    int m_refSize = 0;
    quint64 m_objectCount = 0;
    quint64 m_top = 0;
    quint64 m_tableAt = 0; // also where the objects end
};
