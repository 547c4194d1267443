// Seeds 100,000 people and reads every property of every person through a fresh handle.

#include "benchsupport.h"

#include "addressbook/ABAddressBook.h"
#include "addressbook/DemoSeeder.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    BenchScratch scratch(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/tmp"), QStringLiteral("addressbook"));
    const int count = argc > 2 ? atoi(argv[2]) : 100000;
    {
        ABAddressBookRef book = ABAddressBook::create();
        BenchTimer timer(QStringLiteral("seed 100,000 people"));
        Result<int> added = DemoSeeder::seed(*book, {count, 1, false, false, 128});
        if (!added) {
            std::fprintf(stderr, "seed failed: %s\n", qPrintable(added.error()));
            return 1;
        }
        timer.report(count);
    }
    {
        BenchTimer timer(QStringLiteral("read every property of every person"));
        ABAddressBookRef book = ABAddressBook::create();
        qint64 values = 0;
        const ABPropertyID properties[] = {
            kABPersonFirstNameProperty, kABPersonLastNameProperty, kABPersonMiddleNameProperty, kABPersonPrefixProperty,
            kABPersonSuffixProperty, kABPersonNicknameProperty, kABPersonFirstNamePhoneticProperty,
            kABPersonLastNamePhoneticProperty, kABPersonOrganizationProperty, kABPersonJobTitleProperty,
            kABPersonDepartmentProperty, kABPersonNoteProperty, kABPersonBirthdayProperty, kABPersonKindProperty,
            kABPersonPhoneProperty, kABPersonEmailProperty, kABPersonURLProperty, kABPersonAddressProperty,
            kABPersonDateProperty, kABPersonInstantMessageProperty, kABPersonRelatedNamesProperty,
            kABPersonSocialProfileProperty};
        for (const ABRecordRef &person : book->copyArrayOfAllPeople()) {
            for (ABPropertyID property : properties) {
                QVariant value = person->copyValue(property);
                if (isMultiValue(value))
                    values += value.value<ABMultiValue>().count();
                else
                    values += value.isValid();
            }
            values += person->copyCompositeName().size() > 0;
        }
        timer.report(count);
        std::printf("   values read: %lld\n", values);
    }
    std::printf("   database size: %.1f MB\n", double(fileSize(scratch.addressBook()) + fileSize(scratch.addressBook() + QStringLiteral("-wal"))) / 1e6);
    return 0;
}
