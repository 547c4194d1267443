#pragma once

#include "ContactCard.h"
#include "addressbook/ABRecord.h"

#include <cstdint>

// The exchange's conversion between address-book people and account contacts, with the field
// filter applied: photo, phone, address, e-mail, URL, note, dates (birthday) and instant
// messages are switched by their bits; names, nickname and organisation always travel.
namespace PersonCards {

// The contact to create for a person (export filter). The UID is left for the caller. Instant
// messages of services that are not exchanged are left out.
ContactCard cardFromPerson(const ABRecord &person, uint32_t mask);

// A new person for a contact (import filter), not yet added to an address book. With the
// marker bit the last name gets " (*)", or is "(*)" when the contact has no family name.
ABRecordRef personFromCard(const ContactCard &card, uint32_t mask, const ABRecordRef &source = nullptr);

// Stores an image of any format Qt reads on the person, as PNG; one it cannot read is logged.
void setPhoto(const ABRecordRef &person, const QByteArray &photo);

}
