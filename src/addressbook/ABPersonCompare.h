#pragma once

#include "ABRecord.h"

#include <QCollator>
#include <QList>
#include <QStringList>

// Ordering people by name the way lists show them, in the user's sort ordering
// (kABPersonSortByFirstName or kABPersonSortByLastName) with the locale's collation.

// The collator people are sorted with: the current locale's, or the language-neutral order
// when the locale is "C", so that accented names sort beside their plain letters everywhere.
QCollator ABPersonNameCollator();

// The text a person sorts by: the name parts, most significant first — by first name (first,
// last, middle), by last name (last, first, middle) — without the empty ones, joined by a tab,
// which collates before every letter and digit so that "Anna" < "Anna Berg" < "Annabel"; a
// person without name parts sorts by organization. Empty when there is nothing to sort by.
QString ABPersonSortName(const ABRecord &person, int ordering);
QString ABPersonSortName(const ABRecord::Names &names, int ordering);

// Negative, zero or positive as `a` sorts before, with or after `b`.
int ABPersonComparePeopleByName(const ABRecordRef &a, const ABRecordRef &b, int ordering);

// Sorts `people` in place by ABPersonComparePeopleByName; people who compare equal keep their
// order. Collation keys are computed once per person, which keeps large books fast.
void ABPersonSortPeopleByName(QList<ABRecordRef> &people, int ordering);
