#include "ABMultiValue.h"

QVariant ABMultiValue::copyValueAtIndex(int index) const
{
    return index >= 0 && index < count() ? m_entries[index].value : QVariant();
}

std::optional<QString> ABMultiValue::copyLabelAtIndex(int index) const
{
    return index >= 0 && index < count() ? m_entries[index].label : std::nullopt;
}

QList<QVariant> ABMultiValue::copyArrayOfAllValues() const
{
    QList<QVariant> values;
    values.reserve(m_entries.size());
    for (const Entry &entry : m_entries)
        values.append(entry.value);
    return values;
}

void ABMultiValue::addValueAndLabel(const QVariant &value, const std::optional<QString> &label)
{
    m_entries.append(Entry{label, value, m_nextIdentifier++});
}

bool ABMultiValue::replaceValueAtIndex(const QVariant &value, int index)
{
    if (index < 0 || index >= count())
        return false;
    m_entries[index].value = value;
    return true;
}

bool ABMultiValue::replaceLabelAtIndex(const std::optional<QString> &label, int index)
{
    if (index < 0 || index >= count())
        return false;
    m_entries[index].label = label;
    return true;
}

bool ABMultiValue::removeValueAndLabelAtIndex(int index)
{
    if (index < 0 || index >= count())
        return false;
    m_entries.removeAt(index);
    return true;
}

bool ABMultiValue::operator==(const ABMultiValue &other) const
{
    if (m_type != other.m_type || count() != other.count())
        return false;
    for (int i = 0; i < count(); ++i) {
        if (m_entries[i].label != other.m_entries[i].label || m_entries[i].value != other.m_entries[i].value)
            return false;
    }
    return true;
}
