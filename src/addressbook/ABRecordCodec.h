#pragma once

#include "ABConstants.h"

#include <QByteArray>
#include <QHash>
#include <QVariant>

#include <optional>
#include <vector>

// The compact form in which a record's values are stored in the database.
namespace ABRecordCodec {
QByteArray encode(const QHash<ABPropertyID, QVariant> &values);
// False when the bytes are not a stored record (the values are then incomplete).
bool decode(const QByteArray &bytes, QHash<ABPropertyID, QVariant> &values);
// The stored record with one property set to `value` (an invalid one removes it), the
// others copied as they are. Empty when the bytes are not a stored record.
QByteArray withValue(const QByteArray &bytes, ABPropertyID property, const QVariant &value);

// How many entries a multi-value has, and how many of them have a label.
struct EntryCount {
    int all = 0;
    int labelled = 0;
};

// A record in its stored form. The place of each property is found in one scan at the first
// read, so that a writer asking a record for most of its values does not scan it once each.
class Stored {
public:
    bool isEmpty() const { return m_bytes.isEmpty(); }
    const QByteArray &bytes() const { return m_bytes; }
    void assign(QByteArray bytes);
    void clear() { assign(QByteArray()); }
    // The value of one property (invalid when the record has none, or when that value is
    // damaged), without building the others.
    QVariant value(ABPropertyID property) const;
    // The entries value(property) would have as a multi-value, counted without building it.
    EntryCount countEntries(ABPropertyID property) const;

private:
    struct Place {
        ABPropertyID property;
        quint32 offset; // of the property's tag
    };
    // The offset of the property's tag; none when the record has no such property.
    std::optional<quint32> placeOf(ABPropertyID property) const;

    QByteArray m_bytes;
    mutable std::vector<Place> m_places;
    mutable bool m_placed = false;
};
}
