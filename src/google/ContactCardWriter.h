#pragma once

#include "ContactCard.h"

#include <QByteArray>

// Writes one vCard 3.0 (RFC 2426) for a contacts server: CR LF line ends, lines folded at 75
// bytes without splitting a UTF-8 character, text values escaped, custom labels as
// "itemN.PROPERTY" with "itemN.X-ABLabel", the photo as "PHOTO;ENCODING=b;TYPE=JPEG".
namespace ContactCardWriter {
QByteArray write(const ContactCard &card);
}
