#include "LocalDays.h"

#include <cstdio>

QByteArray LocalDays::digits(const QDateTime &date, const char *separator) const
{
    if (!date.isValid())
        return QByteArray();
    const QDate day = dayOf(date);
    char text[32];
    std::snprintf(text, sizeof text, "%04d%s%02d%s%02d", day.year(), separator, day.month(), separator, day.day());
    return QByteArray(text);
}
