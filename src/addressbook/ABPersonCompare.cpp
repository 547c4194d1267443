#include "ABPersonCompare.h"

#include <QCollatorSortKey>
#include <QLocale>

#include <algorithm>
#include <numeric>
#include <vector>

namespace {

QLocale collationLocale()
{
    QLocale locale;
    if (locale.language() == QLocale::C)
        return QLocale(QLocale::English, QLocale::UnitedStates);
    return locale;
}

// Shorter part lists sort first when all their parts are equal ("Anna" before "Anna Berg").
template <typename Part, typename Compare>
int compareParts(const std::vector<Part> &a, const std::vector<Part> &b, Compare compare)
{
    const size_t common = std::min(a.size(), b.size());
    for (size_t i = 0; i < common; ++i) {
        if (int order = compare(a[i], b[i]))
            return order;
    }
    return a.size() == b.size() ? 0 : a.size() < b.size() ? -1 : 1;
}

std::vector<QString> partsOf(const ABRecord &person, int ordering)
{
    const QStringList parts = ABPersonSortNameParts(person, ordering);
    return std::vector<QString>(parts.begin(), parts.end());
}

}

QCollator ABPersonNameCollator()
{
    QCollator collator(collationLocale());
    collator.setCaseSensitivity(Qt::CaseSensitive);
    return collator;
}

QStringList ABPersonSortNameParts(const ABRecord &person, int ordering)
{
    const bool byLast = ordering == kABPersonSortByLastName;
    const ABPropertyID order[] = {byLast ? kABPersonLastNameProperty : kABPersonFirstNameProperty,
                                  byLast ? kABPersonFirstNameProperty : kABPersonLastNameProperty,
                                  kABPersonMiddleNameProperty};
    QStringList parts;
    for (ABPropertyID property : order) {
        QString part = person.copyText(property);
        if (!part.isEmpty())
            parts.append(part);
    }
    if (parts.isEmpty()) {
        QString organization = person.copyText(kABPersonOrganizationProperty);
        if (!organization.isEmpty())
            parts.append(organization);
    }
    return parts;
}

int ABPersonComparePeopleByName(const ABRecordRef &a, const ABRecordRef &b, int ordering)
{
    // A collator is costly to make; one per thread serves every comparison of a sort.
    thread_local QCollator collator = ABPersonNameCollator();
    thread_local QString collatorLocale = collator.locale().name();
    if (collatorLocale != collationLocale().name()) {
        collator = ABPersonNameCollator();
        collatorLocale = collator.locale().name();
    }
    return compareParts(partsOf(*a, ordering), partsOf(*b, ordering),
                        [](const QString &x, const QString &y) { return collator.compare(x, y); });
}

void ABPersonSortPeopleByName(QList<ABRecordRef> &people, int ordering)
{
    const QCollator collator = ABPersonNameCollator();
    std::vector<std::vector<QCollatorSortKey>> keys;
    keys.reserve(size_t(people.size()));
    for (const ABRecordRef &person : std::as_const(people)) {
        std::vector<QCollatorSortKey> personKeys;
        for (const QString &part : ABPersonSortNameParts(*person, ordering))
            personKeys.push_back(collator.sortKey(part));
        keys.push_back(std::move(personKeys));
    }
    std::vector<qsizetype> order(size_t(people.size()));
    std::iota(order.begin(), order.end(), qsizetype(0));
    std::stable_sort(order.begin(), order.end(), [&](qsizetype x, qsizetype y) {
        return compareParts(keys[size_t(x)], keys[size_t(y)],
                            [](const QCollatorSortKey &p, const QCollatorSortKey &q) { return p.compare(q); }) < 0;
    });
    QList<ABRecordRef> sorted;
    sorted.reserve(people.size());
    for (qsizetype index : order)
        sorted.append(people.at(index));
    people = std::move(sorted);
}
