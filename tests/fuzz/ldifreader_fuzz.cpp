// libFuzzer target: the whole LDIF reader (lines, continuations, base64, entries, the save and
// the group pass) over any bytes, in both character sets, into a scratch address book. It
// must answer a count or -1, never crash.

#include "FuzzScratch.h"
#include "formats/ldif/LdifReader.h"
#include "shell/AppData.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = FuzzScratch::writeInput(QStringLiteral("input.ldif"), data, size);
    if (path.isEmpty())
        return 0;
    for (int charSet : {0, 1}) {
        if (ldif_import(path, FieldFilter::Default | FieldFilter::Marker, charSet, nullptr) < -1)
            __builtin_trap();
    }
    FuzzScratch::resetAddressBook();
    return 0;
}
