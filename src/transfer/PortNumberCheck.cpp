#include "PortNumberCheck.h"

#include "platform/Localization.h"

qint64 PortNumberCheck::read(const QString &text)
{
    const QString trimmed = text.trimmed();
    qsizetype end = 0;
    if (end < trimmed.size() && (trimmed[end] == QLatin1Char('+') || trimmed[end] == QLatin1Char('-')))
        ++end;
    while (end < trimmed.size() && trimmed[end] >= QLatin1Char('0') && trimmed[end] <= QLatin1Char('9') && end < 12)
        ++end;
    return trimmed.left(end).toLongLong();
}

std::optional<QString> PortNumberCheck::problem(const QString &text)
{
    const qint64 port = read(text);
    if (port < kLowest)
        return L("KLowPort");
    // Above the highest port the number would wrap round to another one.
    if (port > kHighest)
        return L("KPortRange");
    return std::nullopt;
}
