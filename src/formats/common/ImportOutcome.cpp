#include "ImportOutcome.h"

#include "addressbook/AddressBookBusy.h"

int ImportOutcome::failure(const QString &error)
{
    return AddressBookBusy::isCause(error) ? kAddressBookBusy : kFailed;
}

QString ImportOutcome::message(int result)
{
    switch (result) {
    case 1: return QStringLiteral("1 record added.");
    case 0: return QStringLiteral("No records found.");
    case kAddressBookBusy: return AddressBookBusy::message();
    default: return result < 0 ? QStringLiteral("Error importing file.") : QStringLiteral("%1 records added.").arg(result);
    }
}
