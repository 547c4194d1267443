#include "formats/common/LocalDays.h"

#include <QTest>

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
};

QTEST_GUILESS_MAIN(LocalDaysTest)
#include "local_days_test.moc"
