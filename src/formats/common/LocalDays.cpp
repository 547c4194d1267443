#include "LocalDays.h"

#include <cstdio>
#include <cstring>

QByteArray LocalDays::digits(const QDateTime &date, const char *separator) const
{
    if (!date.isValid())
        return QByteArray();
    const QDate day = dayOf(date);
    char text[32];
    const int year = day.year();
    if (year < 0 || year > 9999 || std::strlen(separator) > 1) {
        std::snprintf(text, sizeof text, "%04d%s%02d%s%02d", year, separator, day.month(), separator, day.day());
        return QByteArray(text);
    }
    // Written out by hand: a book of people with birthdays formats one for each.
    char *at = text;
    auto digits = [&at](int value, int width) {
        for (int i = width - 1; i >= 0; --i, value /= 10)
            at[i] = char('0' + value % 10);
        at += width;
    };
    auto put = [&at](const char *part) {
        while (*part)
            *at++ = *part++;
    };
    digits(year, 4);
    put(separator);
    digits(day.month(), 2);
    put(separator);
    digits(day.day(), 2);
    return QByteArray(text, at - text);
}
