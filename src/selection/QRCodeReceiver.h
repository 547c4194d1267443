#pragma once

#include "addressbook/EntryData.h"

// The QR code screen: makes the code of one row's person.
class QRCodeReceiver {
public:
    virtual ~QRCodeReceiver() = default;
    virtual void getQRCode(const EntryDataRef &row) = 0;
};
