#pragma once

#include "ABAddressBook.h"
#include "platform/Result.h"

// Fills an address book with fictional people that cover every field family: several phones
// with standard, custom and missing labels, e-mails, URLs, addresses with multi-line streets,
// dates, instant messages, related names, social profiles, notes with line ends, names outside
// ASCII, and optionally photos; a few groups with members; optionally extra sources.
// The same count and seed always give the same people.
namespace DemoSeeder {

struct Options {
    int count = 100;
    quint32 seed = 1;
    bool photos = false;
    bool sources = false;   // also make Exchange, CardDAV and LDAP sources holding some people
    int photoSide = 128;    // photos are side x side PNG images of about 3 bytes per pixel
};

// Adds and saves the people; answers how many were added.
Result<int> seed(ABAddressBook &book, const Options &options);

}
