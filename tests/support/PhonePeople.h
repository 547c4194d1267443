#pragma once

#include "addressbook/ABAddressBook.h"

#include <QList>
#include <QString>
#include <QStringList>

// People with phone numbers for the number tools' tests.
namespace PhonePeople {

struct Person {
    QString first;
    QString last;
    QStringList phones; // each with the mobile label
};

// Adds and saves them; false when the save fails.
bool add(ABAddressBook &book, const QList<Person> &people);
// Every stored number, person by person, in book order.
QStringList storedNumbers(ABAddressBook &book);

}
