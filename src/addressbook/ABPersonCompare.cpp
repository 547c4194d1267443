#include "ABPersonCompare.h"

#include "NameOrder.h"

#include <QLocale>

namespace {

QLocale collationLocale()
{
    QLocale locale;
    if (locale.language() == QLocale::C)
        return QLocale(QLocale::English, QLocale::UnitedStates);
    return locale;
}

}

QCollator ABPersonNameCollator()
{
    QCollator collator(collationLocale());
    collator.setCaseSensitivity(Qt::CaseSensitive);
    return collator;
}

QString ABPersonSortName(const ABRecord &person, int ordering)
{
    return ABPersonSortName(person.copyNames(), ordering);
}

QString ABPersonSortName(const ABRecord::Names &names, int ordering)
{
    const QString sortName = ordering == kABPersonSortByLastName
                                 ? ABRecord::Names::joined({&names.last, &names.first, &names.middle}, u'\t')
                                 : ABRecord::Names::joined({&names.first, &names.last, &names.middle}, u'\t');
    return sortName.isEmpty() ? names.organization : sortName;
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
    return collator.compare(ABPersonSortName(*a, ordering), ABPersonSortName(*b, ordering));
}

void ABPersonSortPeopleByName(QList<ABRecordRef> &people, int ordering)
{
    NameOrder names;
    for (const ABRecordRef &person : std::as_const(people))
        names.add(ABPersonSortName(*person, ordering));
    QList<ABRecordRef> sorted;
    sorted.reserve(people.size());
    for (qsizetype index : names.take())
        sorted.append(people.at(index));
    people = std::move(sorted);
}
