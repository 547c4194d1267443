#include "PhonePeople.h"

bool PhonePeople::add(ABAddressBook &book, const QList<Person> &people)
{
    for (const Person &person : people) {
        ABRecordRef record = ABRecord::createPerson();
        if (!person.first.isEmpty())
            record->setValue(kABPersonFirstNameProperty, person.first);
        if (!person.last.isEmpty())
            record->setValue(kABPersonLastNameProperty, person.last);
        if (!person.phones.isEmpty()) {
            ABMultiValue phones(kABMultiStringPropertyType);
            for (const QString &phone : person.phones)
                phones.addValueAndLabel(phone, kABPersonPhoneMobileLabel);
            record->setValue(kABPersonPhoneProperty, QVariant::fromValue(phones));
        }
        book.addRecord(record);
    }
    return book.save();
}

QStringList PhonePeople::storedNumbers(ABAddressBook &book)
{
    QStringList numbers;
    for (const ABRecordRef &person : book.copyArrayOfAllPeople()) {
        const ABMultiValue phones = person->copyMultiValue(kABPersonPhoneProperty);
        for (int index = 0; index < phones.count(); ++index)
            numbers.append(phones.copyValueAtIndex(index).toString());
    }
    return numbers;
}
