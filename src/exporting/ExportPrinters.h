#pragma once

#include "formats/common/RecordPrinter.h"

#include <memory>

// Format numbers of the export engine.
namespace ExportFormat {
inline constexpr int LDIF = 1;
inline constexpr int HTML = 3;
inline constexpr int TXT = 4;
inline constexpr int CSV = 5;
// The layout of the page that is printed (HTML).
inline constexpr int PrintLayout = 999;
}

// The printer set of a format; none for a format without one.
std::unique_ptr<RecordPrinter> createRecordPrinter(int format, ExportOutput &out, const ExportContext &context);
