#pragma once

#include <QString>

// Facts about this machine and program, as a device would report them.
namespace DeviceFacts {
QString model();             // e.g. "PC" or the DMI product name
QString systemName();        // "Linux"
QString systemVersion();     // the platform version the program is built against: "6.1"
QString deviceName();        // the host name
QString uniqueIdentifier();  // stable per machine (from the machine id)
QString applicationName();   // "Vennaro"
QString applicationVersion(); // the project version
QString buildDate();         // "Mmm dd yyyy", the day this program was built
// Numeric comparison of systemVersion() with a version text ("5", "6.0").
bool systemVersionAtLeast(const QString &version);
}
