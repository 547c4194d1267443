#pragma once

#include "addressbook/ABRecord.h"

#include <QString>

#include <cstdint>

// The MECARD text of one person, the phone-book format that QR scanners of phones read.
namespace MecardText {

// "MECARD:" followed by the name, nickname, phones, e-mails, addresses, URLs, note and
// birthday, each closed by ";", and a final ";". `exportMask` is the export field filter:
// its phone, e-mail, address, URL, note and dates bits decide which families are written.
// Labels are not written. Every value is escaped (see escape).
QString build(const ABRecord &person, uint32_t exportMask);

// A value with the characters that MECARD reserves (":", ";", "," and "\") preceded by a
// backslash, so that a note like "after 5; ask for Bo" stays one field.
QString escape(const QString &value);

}
