#pragma once

#include "ABConstants.h"
#include "platform/ByteAppend.h"

#include <QByteArray>
#include <QHash>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <initializer_list>
#include <optional>
#include <utility>
#include <vector>

class ABMultiValue;

// The compact form in which a record's values are stored in the database.
namespace ABRecordCodec {
QByteArray encode(const QHash<ABPropertyID, QVariant> &values);
// False when the bytes are not a stored record (the values are then incomplete).
bool decode(const QByteArray &bytes, QHash<ABPropertyID, QVariant> &values);
// A property and the value it is to have; an invalid value removes it.
using ValueChange = std::pair<ABPropertyID, QVariant>;
// The stored record with the properties of `changes` set, in one pass, the others copied as
// they are. Empty when the bytes are not a stored record.
QByteArray withValues(const QByteArray &bytes, std::initializer_list<ValueChange> changes);

// How many entries a multi-value has, and how many of them have a label.
struct EntryCount {
    int all = 0;
    int labelled = 0;
};

// The texts of a multi-value's entries, read one entry at a time into buffers that are reused
// from one entry to the next, so that a writer going through many records does not build a
// multi-value, a variant and a map per entry. What a visit is handed is valid during the visit
// only. An entry of text gives its text as field 0; an entry of a dictionary gives the value
// of each key asked for, in the order asked (empty where it has none). Entries of another
// kind give what QVariant::toString or toMap make of them, as a copied multi-value would.
class EntryTexts {
public:
    // The dictionary keys whose values are wanted; none to read entries of text.
    explicit EntryTexts(QStringList keys = {});

    const std::optional<QString> &label() const { return m_label; }
    const QString &field(int index) const { return m_fields[size_t(index)]; }

    using Visit = std::function<void(const EntryTexts &entry)>;
    // Each entry of `values`, in order.
    void forEach(const ABMultiValue &values, const Visit &visit);

private:
    friend class Stored;
    // The fields of a value decoded as a variant.
    void takeFields(const QVariant &value);

    QStringList m_keys;
    std::optional<QString> m_label;
    std::vector<QString> m_fields;
};

// A record in its stored form. The place of each property is found in one scan at the first
// read, so that a writer asking a record for most of its values does not scan it once each;
// the places of the system's properties (all numbered below 64) are then looked up by number.
class Stored {
public:
    bool isEmpty() const { return m_bytes.isEmpty(); }
    const QByteArray &bytes() const { return m_bytes; }
    void assign(QByteArray bytes);
    void clear() { assign(QByteArray()); }
    // The value of one property (invalid when the record has none, or when that value is
    // damaged), without building the others.
    QVariant value(ABPropertyID property) const;
    // value(property).toString(), without the variant for a stored text.
    QString text(ABPropertyID property) const;
    // !text(property).isEmpty(), without the string.
    bool hasText(ABPropertyID property) const;
    // The entries value(property) would have as a multi-value, counted without building it.
    EntryCount countEntries(ABPropertyID property) const;
    // The entries value(property) would have as a multi-value, read as texts; none when the
    // record has no multi-value there.
    void forEachEntry(ABPropertyID property, EntryTexts &entry, const EntryTexts::Visit &visit) const;

private:
    friend class StoredValue;
    struct Place {
        ABPropertyID property;
        quint32 offset; // of the property's tag
    };
    // The offset of the property's tag; none when the record has no such property.
    std::optional<quint32> placeOf(ABPropertyID property) const;

    static constexpr ABPropertyID kNumberedPlaces = 64;

    QByteArray m_bytes;
    mutable std::vector<quint32> m_offsets;  // by property number below kNumberedPlaces; 0 where none
    mutable std::vector<Place> m_otherPlaces; // properties numbered otherwise
    mutable bool m_placed = false;
};

// One value of a stored record read where it is stored, piece by piece, for a writer that
// turns many records into another form without a variant, multi-value or map per value. The
// pieces are read in their stored order: a scalar's value; a multi-value's count, then each
// entry's label and value; a dictionary's count, then each key and its text. Once a piece is
// damaged, ok() is false and what was read is incomplete.
class StoredValue {
public:
    enum class Kind : quint8 { None, Text, Integer, Real, Date, Dictionary, Other };
    // The value of `property`; of kind None when the record has none.
    StoredValue(const Stored &record, ABPropertyID property);

    // The scalar's kind, or that of each entry of a multi-value.
    Kind kind() const { return m_kind; }
    bool isMulti() const { return m_multi; }
    bool ok() const { return m_ok; }

    // How many entries of a multi-value, or pairs of a dictionary, follow.
    quint32 count();
    // An entry's label into `label`; false, and `label` emptied, when the entry has none.
    bool label(QString &label);
    void text(QString &text);
    // An integer, or a date in milliseconds since 1970 UTC.
    qint64 number();

private:
    template <typename T>
    T read();

    const char *m_p = nullptr;
    const char *m_end = nullptr;
    Kind m_kind = Kind::None;
    bool m_multi = false;
    bool m_ok = true;
};

// Builds a record's stored form piece by piece, in the order StoredValue reads it, for a reader
// that turns many records of another form into stored ones without a variant per value. Each
// property is begun with its kind (that of its entries, for a multi-value); its pieces follow.
class StoredWriter {
public:
    StoredWriter();
    // Kind Text, Integer, Date or Dictionary.
    void begin(ABPropertyID property, StoredValue::Kind kind, bool multi = false);
    void count(quint32 count);
    // An entry's label: none, or a text (which may be empty).
    void label(const QString *label);
    void text(QStringView text);
    // An integer, or a date in milliseconds since 1970 UTC.
    void number(qint64 value);
    // The stored record; the writer is empty again.
    QByteArray take();

private:
    template <typename T>
    void put(T value);
    void start();

    ByteWriter m_out;
    quint32 m_properties = 0;
};
}
