#pragma once

#include <QString>

#include <functional>

// Developer log lines: written to the console (standard error), never shown to the user.
// The window writes them always; the command line only with VENNARO_DEBUG set, so that its
// output stays clean. Tests may install a sink to see the lines.
namespace DevLog {
void log(const QString &line);
// Whether a line would go anywhere; lets hot paths skip building one.
bool isEnabled();
// Replaces the console with `sink` until called again with an empty function.
void setConsoleEnabled(bool enabled);
void setSink(std::function<void(const QString &)> sink);
}
