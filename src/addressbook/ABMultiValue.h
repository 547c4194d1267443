#pragma once

#include "ABConstants.h"

#include <QList>
#include <QMetaType>
#include <QVariant>

#include <optional>

// An ordered list of (label, value) pairs. A label is a standard label (kABHomeLabel …),
// a user's own text, or absent. Values are QString (multi text), QDateTime (multi date)
// or QVariantMap of QString values (multi dictionary), by the multi-value's type.
class ABMultiValue {
public:
    struct Entry {
        std::optional<QString> label;
        QVariant value;
        int identifier = 0;
    };

    ABMultiValue() = default;
    explicit ABMultiValue(ABPropertyType type) : m_type(type) {}

    ABPropertyType propertyType() const { return m_type; }
    int count() const { return int(m_entries.size()); }
    bool isEmpty() const { return m_entries.isEmpty(); }

    // Out-of-range indexes answer an invalid value / absent label.
    QVariant copyValueAtIndex(int index) const;
    std::optional<QString> copyLabelAtIndex(int index) const;
    QList<QVariant> copyArrayOfAllValues() const;
    const QList<Entry> &entries() const { return m_entries; }

    void addValueAndLabel(const QVariant &value, const std::optional<QString> &label);
    void reserve(int count) { m_entries.reserve(count); }
    bool replaceValueAtIndex(const QVariant &value, int index);
    bool replaceLabelAtIndex(const std::optional<QString> &label, int index);
    bool removeValueAndLabelAtIndex(int index);

    bool operator==(const ABMultiValue &other) const;

private:
    ABPropertyType m_type = kABMultiStringPropertyType;
    QList<Entry> m_entries;
    int m_nextIdentifier = 0;
};

Q_DECLARE_METATYPE(ABMultiValue)

inline bool isMultiValue(const QVariant &value) { return value.metaType() == QMetaType::fromType<ABMultiValue>(); }
