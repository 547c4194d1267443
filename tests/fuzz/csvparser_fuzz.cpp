// libFuzzer target: the CSV parser over any text, with the header and without, and with a
// separator longer than one character.

#include "formats/csv/CSVParser.h"
#include "platform/DevLog.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    DevLog::setConsoleEnabled(false);
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    for (const QString &separator : {QStringLiteral(","), QStringLiteral(";;")}) {
        CSVParser parser(text, separator, true);
        std::optional<QStringList> header = parser.parseHeader();
        qsizetype fields = 0;
        parser.parseRowsForReceiver([&fields](const CSVRecord &record) {
            fields += record.count();
            // Every field has a column name.
            if (record.names.size() < record.fields.size())
                __builtin_trap();
        });
        (void)header;
        (void)fields;
    }
    CSVParser plain(text, QStringLiteral(","), false);
    (void)plain.arrayOfParsedRows();
    return 0;
}
