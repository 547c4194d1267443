#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QTimeZone>

#include <vector>

// The calendar day a stored date falls on in the device's time zone. Converting each date with
// toLocalTime() asks the C library again, which checks the zone file on disk every time, and
// even a QTimeZone conversion looks the offset up anew: a writer of 100,000 people spent a
// tenth of its time there. The zone is looked up once, and each offset found is kept for the
// whole span between the zone's transitions around it, which many dates share.
class LocalDays {
public:
    LocalDays() : LocalDays(QTimeZone::systemTimeZone()) {}
    explicit LocalDays(QTimeZone zone) : m_zone(std::move(zone)) {}

    QDate dayOf(const QDateTime &date) const;
    // The day as digits with `separator` between year, month and day ("" gives yyyyMMdd);
    // empty for an invalid date.
    QByteArray digits(const QDateTime &date, const char *separator) const;

private:
    // Instants strictly between `after` and `before` (milliseconds since the epoch, UTC) are
    // `offset` seconds ahead of UTC.
    struct Span {
        qint64 after;
        qint64 before;
        int offset;
    };
    int offsetAt(const QDateTime &date) const;

    QTimeZone m_zone;
    // Sorted, not overlapping.
    mutable std::vector<Span> m_spans;
};
