#pragma once

#include "addressbook/ABConstants.h"

#include <QByteArrayView>
#include <QString>

#include <cstdint>

// What the LDIF reader does with each attribute it knows: the names our writer produces in
// all three schemas, and the Mozilla ones.
struct LdifAttribute {
    enum Kind {
        Text,           // a single text property, a later line replaces it
        Birthday,       // a "yyyy-MM-dd" date property
        Date,           // a "yyyy-MM-dd" date added to the dates with the label text
        Photo,          // image bytes, stored as PNG
        Group,          // a group the person belongs to
        Multi,          // a text multi-value entry (phone, e-mail, URL)
        Address,        // a part of the home, work or other address; the first one wins
        CustomAddress,  // a part of the address whose label is the label text
        InstantMessage, // "user (Service)" with the label text
    };
    // MozillaHome: the home address of Mozilla's attributes, whose plain street, l … then
    // hold the work address.
    enum AddressKind { Home, Work, Other, MozillaHome };

    Kind kind;
    uint32_t filterBit;     // 0: always read
    ABPropertyID property;  // Text, Birthday, Multi
    QString label;          // Multi: the label, or null for the label text of the name
    AddressKind address;    // Address
    QString partKey;        // Address, CustomAddress: the dictionary key
};

// The action for an attribute name, compared without regard to case. With `labelled` the name
// is the part before ";" and only the prefixed attributes (vnroDate;, vnroCustomPhone; …)
// match. None for a name the reader ignores.
const LdifAttribute *findLdifAttribute(QByteArrayView name, bool labelled);
