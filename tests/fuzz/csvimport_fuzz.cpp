// libFuzzer target: the CSV import as the mapping screen runs it: any file is read, its header
// mapped by name and by the guesses, and every row imported into a scratch address book. The
// first input byte picks the character set.

#include "FuzzScratch.h"
#include "formats/csv/CSVimport.h"
#include "shell/AppData.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const int charSet = data[0] & 1;
    const QString path = FuzzScratch::writeInput(QStringLiteral("input.csv"), data + 1, size - 1);
    if (path.isEmpty())
        return 0;
    Result<std::shared_ptr<CSVimport>> importer = CSVimport::fromFile(path, charSet);
    if (!importer)
        return 0;
    CSVimport &mapping = **importer;
    if (mapping.mappings().size() != mapping.csvheader().size())
        __builtin_trap();
    mapping.guessUnmapped();
    for (int field : mapping.mappings()) {
        if (field < -1 || field >= CSVimport::FieldCount)
            __builtin_trap();
    }
    // Also a mapping that takes every field in turn, so each field's rule meets the rows.
    for (qsizetype column = 0; column < mapping.mappings().size(); ++column) {
        if (mapping.mappings()[column] < 0)
            mapping.mappings()[column] = int(column % CSVimport::FieldCount);
    }
    if (mapping.importWithTagert(nullptr, FieldFilter::Default | FieldFilter::Marker) < -1)
        __builtin_trap();
    FuzzScratch::resetAddressBook();
    return 0;
}
