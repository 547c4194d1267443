#pragma once

#include "FormatMasks.h"

#include <QString>

// The format screen's three masks in FormatMasks.plist (documents folder): an XML property
// list whose root dictionary holds FormatMask1 … FormatMask3, only the masks that are not empty.
namespace SavedFormatMasks {
QString path();
// The masks in the file (a missing key leaves its mask empty), or the defaults after the log
// line "FILE NOT FOUND <path>" when the file cannot be read.
FormatMasks load();
// Rewrites the file whole, atomically; false (logged) when it cannot be written.
bool save(const FormatMasks &masks);
}
