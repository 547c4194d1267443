#include "ExportPrinters.h"

#include "formats/csv/CsvPrinter.h"
#include "formats/ldif/LdifPrinter.h"
#include "formats/text/HtmlPrinter.h"
#include "formats/text/TxtPrinter.h"

std::unique_ptr<RecordPrinter> createRecordPrinter(int format, ExportOutput &out, const ExportContext &context)
{
    switch (format) {
    case ExportFormat::LDIF:
        return std::make_unique<LdifPrinter>(out, context);
    case ExportFormat::HTML:
        return std::make_unique<HtmlPrinter>(out, context);
    case ExportFormat::TXT:
        return std::make_unique<TxtPrinter>(out, context);
    case ExportFormat::CSV:
        return std::make_unique<CsvPrinter>(out, context);
    default:
        return nullptr;
    }
}
