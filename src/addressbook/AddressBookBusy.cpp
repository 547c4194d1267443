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

void AddressBookBusy::noteFailure()
{
    ++g_failures;
}

int AddressBookBusy::failures()
{
    return g_failures;
}
