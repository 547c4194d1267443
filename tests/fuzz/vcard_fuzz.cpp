// libFuzzer target for the vCard reader: any bytes, read as a file in both character sets and
// imported into a scratch address book, must end with a count or -1/-2, never a crash.

#include "FuzzScratch.h"
#include "formats/vcard/QuotedPrintable.h"
#include "formats/vcard/VCARDimport.h"
#include "shell/AppData.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    (void)QuotedPrintable::decode(bytes);
    (void)QuotedPrintable::encodeQuotedPrintable(bytes);

    const QString path = FuzzScratch::writeInput(QStringLiteral("input.vcf"), data, size);
    if (path.isEmpty())
        return 0;
    for (int charSet : {0, 1}) {
        VCARDimport reader;
        if (reader.loadVCardFile(path, charSet) >= 0)
            reader.importIt(nullptr, FieldFilter::Default | FieldFilter::Marker);
    }
    FuzzScratch::resetAddressBook();
    return 0;
}
