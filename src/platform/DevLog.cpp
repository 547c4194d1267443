#include "DevLog.h"

#include <QMutex>

#include <cstdio>

namespace {
QMutex g_mutex;
std::function<void(const QString &)> g_sink;
bool g_console = qEnvironmentVariableIsSet("VENNARO_DEBUG");
}

void DevLog::log(const QString &line)
{
    QMutexLocker lock(&g_mutex);
    if (g_sink) {
        g_sink(line);
        return;
    }
    if (g_console)
        std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
}

bool DevLog::isEnabled()
{
    QMutexLocker lock(&g_mutex);
    return g_sink || g_console;
}

void DevLog::setSink(std::function<void(const QString &)> sink)
{
    QMutexLocker lock(&g_mutex);
    g_sink = std::move(sink);
}

void DevLog::setConsoleEnabled(bool enabled)
{
    QMutexLocker lock(&g_mutex);
    g_console = enabled || qEnvironmentVariableIsSet("VENNARO_DEBUG");
}
