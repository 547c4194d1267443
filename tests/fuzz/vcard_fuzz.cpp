// libFuzzer target for the vCard reader: any bytes, read as a file in both character sets and
// imported into a scratch address book, must end with a count or -1/-2, never a crash.

#include "addressbook/ABAddressBook.h"
#include "formats/vcard/QuotedPrintable.h"
#include "formats/vcard/VCARDimport.h"
#include "platform/DevLog.h"
#include "shell/AppData.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir scratch;
    static bool ready = [] {
        DevLog::setConsoleEnabled(false);
        ABAddressBook::setDefaultPath(scratch.filePath(QStringLiteral("fuzz.db")));
        return true;
    }();
    (void)ready;
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    (void)QuotedPrintable::decode(bytes);
    (void)QuotedPrintable::encodeQuotedPrintable(bytes);

    const QString path = scratch.filePath(QStringLiteral("input.vcf"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    file.write(bytes);
    file.close();
    for (int charSet : {0, 1}) {
        VCARDimport reader;
        if (reader.loadVCardFile(path, charSet) >= 0)
            reader.importIt(nullptr, FieldFilter::Default | FieldFilter::Marker);
    }
    // Keep the scratch address book small between inputs.
    QFile::remove(scratch.filePath(QStringLiteral("fuzz.db")));
    return 0;
}
