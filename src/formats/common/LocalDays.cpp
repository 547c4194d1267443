#include "LocalDays.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <limits>

namespace {

constexpr qint64 kMSecsPerDay = 24 * 60 * 60 * 1000;
// The Julian day of 1970-01-01.
constexpr qint64 kEpochJulianDay = 2440588;

} // namespace

int LocalDays::offsetAt(const QDateTime &date) const
{
    const qint64 at = date.toMSecsSinceEpoch();
    auto span = std::upper_bound(m_spans.begin(), m_spans.end(), at, [](qint64 t, const Span &s) { return t < s.before; });
    if (span != m_spans.end() && span->after < at)
        return span->offset;
    const int offset = m_zone.offsetFromUtc(date);
    constexpr qint64 kNever = std::numeric_limits<qint64>::max();
    if (!m_zone.hasTransitions()) {
        m_spans.assign(1, {-kNever, kNever, offset});
        return offset;
    }
    const QTimeZone::OffsetData previous = m_zone.previousTransition(date);
    const QTimeZone::OffsetData next = m_zone.nextTransition(date);
    const qint64 after = previous.atUtc.isValid() ? previous.atUtc.toMSecsSinceEpoch() : -kNever;
    const qint64 before = next.atUtc.isValid() ? next.atUtc.toMSecsSinceEpoch() : kNever;
    // Kept only when the span is plainly the one the date is in: a date on a transition's own
    // instant, or an offset the zone's transitions disagree with, is not remembered.
    const bool plain = after < at && at < before && (!previous.atUtc.isValid() || previous.offsetFromUtc == offset);
    const bool fits = (span == m_spans.end() || before <= span->after) && (span == m_spans.begin() || std::prev(span)->before <= after);
    if (plain && fits)
        m_spans.insert(span, {after, before, offset});
    return offset;
}

QDate LocalDays::dayOf(const QDateTime &date) const
{
    if (!date.isValid() || !m_zone.isValid())
        return date.toTimeZone(m_zone).date();
    const qint64 local = date.toMSecsSinceEpoch() + qint64(offsetAt(date)) * 1000;
    // Days before the epoch round down, not toward zero.
    const qint64 days = local >= 0 ? local / kMSecsPerDay : -((-local - 1) / kMSecsPerDay) - 1;
    return QDate::fromJulianDay(days + kEpochJulianDay);
}

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
