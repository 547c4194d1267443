#pragma once

#include <QList>
#include <QMetaType>
#include <QVariant>

#include <optional>
#include <utility>

// A dictionary of a keyed archive. Archives key dictionaries by texts or integers and keep
// their own key order, which QVariantMap can do neither of; so the archiver reads and writes
// this type (it also writes plain QVariantMaps).
class KeyedDictionary {
public:
    using Entry = std::pair<QVariant, QVariant>;

    // Appends; an existing equal key is not replaced (archives from elsewhere may repeat one).
    void insert(const QVariant &key, const QVariant &value) { m_entries.append({key, value}); }
    void reserve(qsizetype size) { m_entries.reserve(size); }
    const QList<Entry> &entries() const { return m_entries; }
    qsizetype size() const { return m_entries.size(); }
    bool isEmpty() const { return m_entries.isEmpty(); }
    // The value of the first entry whose key equals `key`; an invalid QVariant when none.
    QVariant value(const QVariant &key) const;

    // The entries as a QVariantMap when every key is a text; none otherwise.
    std::optional<QVariantMap> toVariantMap() const;

    bool operator==(const KeyedDictionary &other) const { return m_entries == other.m_entries; }

private:
    QList<Entry> m_entries;
};

Q_DECLARE_METATYPE(KeyedDictionary)

inline bool isKeyedDictionary(const QVariant &value)
{
    return value.metaType() == QMetaType::fromType<KeyedDictionary>();
}
