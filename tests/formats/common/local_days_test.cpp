#include "formats/common/LocalDays.h"

#include <QTest>
#include <QTimeZone>

#include <algorithm>
#include <random>

class LocalDaysTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void digitsOfDays_data()
    {
        QTest::addColumn<QDate>("day");
        QTest::addColumn<QByteArray>("separator");
        QTest::addColumn<QByteArray>("digits");
        QTest::newRow("dashed") << QDate(1987, 11, 3) << QByteArray("-") << QByteArray("1987-11-03");
        QTest::newRow("run together") << QDate(2000, 1, 2) << QByteArray("") << QByteArray("20000102");
        QTest::newRow("early year padded") << QDate(5, 6, 7) << QByteArray("-") << QByteArray("0005-06-07");
        QTest::newRow("year past 9999") << QDate(12345, 12, 31) << QByteArray("-") << QByteArray("12345-12-31");
        QTest::newRow("year before Christ") << QDate(-44, 3, 15) << QByteArray("-") << QByteArray("-044-03-15");
        QTest::newRow("longer separator") << QDate(1999, 9, 9) << QByteArray(" / ") << QByteArray("1999 / 09 / 09");
    }

    void digitsOfDays()
    {
        QFETCH(QDate, day);
        QFETCH(QByteArray, separator);
        QFETCH(QByteArray, digits);
        // Noon on that day where the program runs: the day the user sees.
        const QDateTime noon(day, QTime(12, 0), Qt::LocalTime);
        QCOMPARE(LocalDays().digits(noon, separator.constData()), digits);
    }

    void invalidDateHasNoDigits() { QVERIFY(LocalDays().digits(QDateTime(), "-").isEmpty()); }

    // Offsets are kept from span to span of a zone's transitions: every day must still be the
    // one a conversion of that very date gives, on and around each transition, in zones with
    // summer time, half-hour changes, a local mean time before their first rule, and none.
    void daysAreThoseOfTheZone()
    {
        for (const char *name : {"Europe/Lisbon", "Australia/Lord_Howe", "America/Sao_Paulo", "Asia/Kolkata", "UTC"}) {
            const QTimeZone zone(name);
            if (!zone.isValid())
                QSKIP("the zone database is not installed");
            QList<QDateTime> dates;
            const QDateTime from(QDate(1890, 1, 1), QTime(0, 0), Qt::UTC);
            for (const QTimeZone::OffsetData &t : zone.transitions(from, QDateTime(QDate(2040, 1, 1), QTime(0, 0), Qt::UTC))) {
                for (qint64 shift : {-3600000LL, -1LL, 0LL, 1LL, 3600000LL})
                    dates.append(t.atUtc.addMSecs(shift));
            }
            for (int day = 0; day < 60000; day += 37)
                dates.append(from.addDays(day).addSecs((day % 24) * 3600));
            // Out of order, so that spans are found in every order.
            std::mt19937 shuffle(7);
            std::shuffle(dates.begin(), dates.end(), shuffle);
            const LocalDays days(zone);
            for (const QDateTime &date : dates)
                QCOMPARE(days.dayOf(date), date.toTimeZone(zone).date());
        }
    }
};

QTEST_GUILESS_MAIN(LocalDaysTest)
#include "local_days_test.moc"
