// `vennaro numbers` run as a program: change, format and the saved rules.

#include "support/PhonePeople.h"
#include "support/TestEnvironment.h"

#include <QFile>
#include <QtTest>

using namespace Qt::StringLiterals;

class NumbersCommandTest : public QObject {
    Q_OBJECT
private:
    TestEnvironment *env = nullptr;

    QStringList numbers() { return PhonePeople::storedNumbers(*env->open()); }
    QByteArray report()
    {
        QFile file(env->documents() + u"/preview.html"_s);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private Q_SLOTS:
    void init()
    {
        env = new TestEnvironment;
        QVERIFY(PhonePeople::add(*env->open(), {{u"Ann"_s, u"Smith"_s, {u"(55) 12"_s, u"999"_s}},
                                                {u"Tom"_s, u"Jones"_s, {u"712"_s}}}));
    }
    void cleanup() { delete env; }

    void changePreviewsAndCommits()
    {
        QString out, err;
        const QStringList change{u"numbers"_s, u"change"_s, u"--mask"_s, u"@12"_s, u"--new"_s, u"34"_s};
        QCOMPARE(env->runProgram(change, &out, &err), 0);
        QCOMPARE(out, u"Ann Smith: (55) 12 -> 5534\nTom Jones: 712 -> 734\n2 numbers changed\n"_s);
        QCOMPARE(numbers(), (QStringList{u"(55) 12"_s, u"999"_s, u"712"_s}));
        QVERIFY(report().contains("<font color=\"red\">734</font>"));

        QCOMPARE(env->runProgram(change + QStringList{u"--commit"_s}, &out, &err), 0);
        QVERIFY(out.endsWith(u"\n2 numbers changed and saved\n"_s));
        QCOMPARE(numbers(), (QStringList{u"5534"_s, u"999"_s, u"734"_s}));
    }

    void e164NormalisesWhatItCanRead()
    {
        QString out, err;
        const QStringList e164{u"numbers"_s, u"e164"_s, u"--region"_s, u"US"_s};
        QVERIFY(env->runProgram({u"numbers"_s, u"e164"_s, u"--region"_s, u"XX"_s}, &out, &err) != 0);
        QVERIFY2(err.contains(u"--region"_s), qPrintable(err));
        QVERIFY(env->runProgram({u"numbers"_s, u"change"_s, u"--mask"_s, u"999"_s, u"--new"_s, u"2015550123"_s,
                                 u"--commit"_s}, &out, &err) == 0);
        QCOMPARE(env->runProgram(e164 + QStringList{u"--commit"_s}, &out, &err), 0);
        QCOMPARE(out, u"Ann Smith: 2015550123 -> +12015550123\n1 numbers changed and saved\n"_s);
        QCOMPARE(numbers(), (QStringList{u"(55) 12"_s, u"+12015550123"_s, u"712"_s}));
    }

    void refusedMasks_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("invalid") << QStringList{u"change"_s, u"--mask"_s, u"12A"_s} << u"Invalid mask."_s;
        QTest::newRow("missing") << QStringList{u"change"_s} << u"Missing mask."_s;
        QTest::newRow("format") << QStringList{u"format"_s, u"--mask1="_s, u"--mask2="_s, u"--mask3="_s} << u"Missing format mask."_s;
    }
    void refusedMasks()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        QString out, err;
        QVERIFY(env->runProgram(QStringList{u"numbers"_s} + arguments, &out, &err) != 0);
        QVERIFY2(err.contains(message), qPrintable(err));
        QVERIFY(out.isEmpty());
        QVERIFY(report().isEmpty());
    }

    void savedRules()
    {
        QString out, err;
        QCOMPARE(env->runProgram({u"numbers"_s, u"rules"_s, u"save"_s, u"Trunk"_s, u"--mask"_s, u"7@"_s, u"--new"_s,
                                  u"0"_s, u"--action"_s, u"prefix"_s, u"--show-all"_s},
                                 &out, &err),
                 0);
        QCOMPARE(out, u"Mask saved.\n"_s);
        QCOMPARE(env->runProgram({u"numbers"_s, u"rules"_s, u"save"_s, u"Trunk"_s, u"--mask"_s, u"71@"_s, u"--new"_s, u"0"_s,
                                  u"--action"_s, u"prefix"_s},
                                 &out, &err),
                 0);
        QCOMPARE(out, u"Mask replaced.\n"_s);
        QCOMPARE(env->runProgram({u"numbers"_s, u"rules"_s}, &out, &err), 0);
        QCOMPARE(out, u"Trunk\t71@\t0\tprefix\t0\n"_s);

        QCOMPARE(env->runProgram({u"numbers"_s, u"change"_s, u"--rule"_s, u"Trunk"_s, u"--commit"_s}, &out, &err), 0);
        QCOMPARE(out, u"Tom Jones: 712 -> 0712\n1 numbers changed and saved\n"_s);
        QCOMPARE(numbers(), (QStringList{u"(55) 12"_s, u"999"_s, u"0712"_s}));

        QCOMPARE(env->runProgram({u"numbers"_s, u"rules"_s, u"delete"_s, u"Trunk"_s}, &out, &err), 0);
        QCOMPARE(env->runProgram({u"numbers"_s, u"rules"_s}, &out, &err), 0);
        QVERIFY(out.isEmpty());
        QVERIFY(env->runProgram({u"numbers"_s, u"change"_s, u"--rule"_s, u"Trunk"_s}, &out, &err) != 0);
    }

    void formatUsesAndSavesMasks()
    {
        QString out, err;
        QCOMPARE(env->runProgram({u"numbers"_s, u"format"_s, u"--mask2"_s, u"?-??"_s, u"--show-all"_s}, &out, &err), 0);
        QCOMPARE(out, u"Ann Smith: 999 -> 9-99\nTom Jones: 712 -> 7-12\n2 numbers changed\n"_s);
        QVERIFY(report().contains("<font color=\"green\">NO CHANGE</font>"));
        // The masks used are kept: the defaults for 1 and 3, the given one for 2.
        QCOMPARE(env->runProgram({u"numbers"_s, u"format"_s, u"--commit"_s}, &out, &err), 0);
        QCOMPARE(numbers(), (QStringList{u"(55) 12"_s, u"9-99"_s, u"7-12"_s}));
    }
};

QTEST_GUILESS_MAIN(NumbersCommandTest)
#include "numbers_command_test.moc"
