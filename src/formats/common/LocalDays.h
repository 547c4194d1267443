#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QTimeZone>

// The calendar day a stored date falls on in the device's time zone. The zone is looked up
// once: converting each date with toLocalTime() asks the C library again, which checks the
// zone file on disk every time (a writer of 100,000 people spent a tenth of its time there).
class LocalDays {
public:
    LocalDays() : m_zone(QTimeZone::systemTimeZone()) {}

    QDate dayOf(const QDateTime &date) const { return date.toTimeZone(m_zone).date(); }
    // The day as digits with `separator` between year, month and day ("" gives yyyyMMdd);
    // empty for an invalid date.
    QByteArray digits(const QDateTime &date, const char *separator) const;

private:
    QTimeZone m_zone;
};
