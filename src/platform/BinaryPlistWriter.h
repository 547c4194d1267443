#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <initializer_list>
#include <span>
#include <utility>
#include <vector>

class ByteWriter;
class QIODevice;

// Builds a binary property list ("bplist00") object by object, children before their
// containers, and lays it out in one pass at the end. Texts and UIDs are stored once
// however often they are added. Data is kept by reference (Qt's implicit sharing) until
// finish(), so large blobs are copied only into the output. A list too long to hold can be
// written as it grows: writeReadyTo() sends out the objects that need no reference size.
class BinaryPlistWriter {
public:
    using Ref = quint32;

    BinaryPlistWriter();

    // A text added before gives the reference it got then.
    Ref addString(QStringView text);
    Ref addInteger(qint64 value);
    Ref addReal(double value);
    Ref addBool(bool value);
    Ref addData(const QByteArray &data);
    // `uid` numbers an object of the archive: the numbers are dense, from 0.
    Ref addUid(quint64 uid);
    Ref addArray(std::span<const Ref> members);
    Ref addDictionary(std::initializer_list<std::pair<Ref, Ref>> entries);

    // The property list with `top` as its top object.
    QByteArray finish(Ref top) const;
    // Empty again, as made, with the room its tables have grown to: a writer that makes many
    // small lists one after the other does not allocate them again for each.
    void clear();

    // Writes the objects added since the last call, up to the first container (a container's
    // references take a width only the final object count gives), and lets go of their
    // payloads. The bytes are those finish() would give; end them with finishTo().
    bool writeReadyTo(QIODevice &out);
    // Writes the rest of the property list after writeReadyTo().
    bool finishTo(QIODevice &out, Ref top);

private:
    enum class Kind : quint8 { Ascii, Utf16, Integer, Real, Bool, Data, Uid, Array, Dictionary };
    struct Object {
        Kind kind;
        quint64 number = 0;  // integer, bool, UID; real as bits; offset in m_texts; payload index for data
        quint32 first = 0;   // containers: first child in m_children
        quint32 count = 0;   // containers: entries; texts: characters
    };

    Ref add(const Object &object);
    // Whether `object`, a text, holds `text`.
    bool holds(const Object &object, QStringView text) const;
    void growTextSlots();
    // Into a ByteWriter, or a RawBytes cursor with room made for the object beforehand.
    template <typename Out>
    void appendObject(Out &out, const Object &object, int refSize) const;
    // Writes to `out` the objects not yet written (they go after the m_written bytes already
    // out), up to the first container when `refSize` is 0.
    bool writeObjects(QIODevice &out, int refSize);
    template <typename Out>
    static void appendTrailer(Out &out, const std::vector<quint64> &offsets, quint64 tableOffset, int refSize, Ref top);

    std::vector<Object> m_objects;
    std::vector<Ref> m_children;
    std::vector<QByteArray> m_payloads; // data
    QByteArray m_texts;                 // every text, encoded, one after the other
    // The texts added, found by hash without a copy of each: open addressing over a power of
    // two of slots, each holding a text's hash and its reference plus one (0: a free slot).
    struct TextSlot {
        size_t hash;
        Ref refPlusOne;
    };
    std::vector<TextSlot> m_textSlots;
    size_t m_textCount = 0;
    static constexpr Ref kNone = ~Ref(0);
    std::vector<Ref> m_uids; // by UID; kNone where none was added
    // Written by writeReadyTo: objects before m_laidOut, their offsets, the bytes so far.
    size_t m_laidOut = 0;
    std::vector<quint64> m_offsets;
    quint64 m_written = 0;
};
