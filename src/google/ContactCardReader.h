#pragma once

#include "ContactCard.h"
#include "platform/Result.h"

#include <QByteArray>

// Reads one vCard as contacts servers send it: 2.1, 3.0 or 4.0, folded lines, TYPE parameters
// in every style ("TYPE=WORK,FAX", "type=work;type=fax", bare "WORK", quoted lists), grouped
// custom labels ("item1.TEL" with "item1.X-ABLabel"), escaped commas and semicolons,
// quoted-printable 2.1 values, and photos as "ENCODING=b"/"BASE64", as "data:" URIs or as an
// http(s) address, which is left for the importer to fetch.
// Properties the exchange does not carry are skipped.
namespace ContactCardReader {
// Fails when the text holds no BEGIN:VCARD ... END:VCARD; a second card in the text is ignored.
Result<ContactCard> read(const QByteArray &vcard);
}
