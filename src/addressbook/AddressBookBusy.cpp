#include "AddressBookBusy.h"

#include "platform/Localization.h"

#include <atomic>

namespace {
std::atomic<int> g_failures{0};
}

QString AddressBookBusy::message()
{
    return L("KAddressBookBusy");
}

bool AddressBookBusy::isCause(const QString &error)
{
    // Opening wraps it in a longer text.
    return error.contains(message());
}

void AddressBookBusy::noteFailure()
{
    ++g_failures;
}

int AddressBookBusy::failures()
{
    return g_failures;
}
