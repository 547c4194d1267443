#include "KeyedDictionary.h"

QVariant KeyedDictionary::value(const QVariant &key) const
{
    for (const Entry &entry : m_entries) {
        if (entry.first == key)
            return entry.second;
    }
    return QVariant();
}

std::optional<QVariantMap> KeyedDictionary::toVariantMap() const
{
    QVariantMap map;
    for (const Entry &entry : m_entries) {
        if (entry.first.metaType().id() != QMetaType::QString)
            return std::nullopt;
        map.insert(entry.first.toString(), entry.second);
    }
    return map;
}
