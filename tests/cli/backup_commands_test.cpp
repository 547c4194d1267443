#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QTest>

class BackupCommandsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void exportDeleteAndImportBack()
    {
        TestEnvironment env;
        QString out;
        QString err;
        QCOMPARE(env.runProgram({QStringLiteral("seed"), QStringLiteral("--count"), QStringLiteral("5")}), 0);
        QCOMPARE(env.runProgram({QStringLiteral("export"), QStringLiteral("--format"), QStringLiteral("bin"),
                                 QStringLiteral("--name"), QStringLiteral("all")}, &out), 0);
        QCOMPARE(out.trimmed(), QStringLiteral("5 records exported to file: all.vnbin"));
        QVERIFY(QFile::exists(env.documents() + QStringLiteral("/all.vnbin")));

        QCOMPARE(env.runProgram({QStringLiteral("list")}, &out), 0);
        const QStringList lines = out.trimmed().split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 5);
        const QString first = lines[0].section(QLatin1Char('\t'), 0, 0);
        const QString second = lines[1].section(QLatin1Char('\t'), 0, 0);
        QCOMPARE(env.runProgram({QStringLiteral("export"), QStringLiteral("--format"), QStringLiteral("bin"),
                                 QStringLiteral("--name"), QStringLiteral("one"), QStringLiteral("--ids"), first}, &out), 0);
        QCOMPARE(out.trimmed(), QStringLiteral("1 record exported to file: one.vnbin"));
        QCOMPARE(env.runProgram({QStringLiteral("export"), QStringLiteral("--format"), QStringLiteral("bin"),
                                 QStringLiteral("--name"), QStringLiteral("x"), QStringLiteral("--ids"), QStringLiteral("999")}, &out, &err), 1);
        QVERIFY(err.contains(QStringLiteral("999")));

        QCOMPARE(env.runProgram({QStringLiteral("delete"), first + QLatin1Char(',') + second}, &out), 0);
        QCOMPARE(out.trimmed(), QStringLiteral("2 records deleted."));
        QVERIFY(QFile::exists(env.documents() + QStringLiteral("/trash.vnbin")));
        QCOMPARE(env.runProgram({QStringLiteral("list")}, &out), 0);
        QCOMPARE(out.trimmed().split(QLatin1Char('\n')).size(), 3);

        QCOMPARE(env.runProgram({QStringLiteral("import"), QStringLiteral("trash.vnbin")}, &out), 0);
        QCOMPARE(out.trimmed(), QStringLiteral("2 records added."));
        QCOMPARE(env.runProgram({QStringLiteral("import"), env.documents() + QStringLiteral("/one.vnbin")}, &out), 0);
        QCOMPARE(out.trimmed(), QStringLiteral("1 record added."));
        QCOMPARE(env.runProgram({QStringLiteral("list")}, &out), 0);
        QCOMPARE(out.trimmed().split(QLatin1Char('\n')).size(), 6);
    }

    void importReportsEveryOutcome()
    {
        TestEnvironment env;
        QString out;
        QString err;
        QCOMPARE(env.runProgram({QStringLiteral("export"), QStringLiteral("--format"), QStringLiteral("bin"),
                                 QStringLiteral("--name"), QStringLiteral("none")}, &out), 0);
        QCOMPARE(out.trimmed(), QStringLiteral("0 records exported to file: none.vnbin"));
        QCOMPARE(env.runProgram({QStringLiteral("import"), QStringLiteral("none.vnbin")}, &out), 0);
        QCOMPARE(out.trimmed(), QStringLiteral("No records found."));
        QCOMPARE(env.runProgram({QStringLiteral("import"), TestEnvironment::dataPath(QStringLiteral("backup-broken/cycle.vnbin"))}, &out, &err), 1);
        QVERIFY(err.contains(QStringLiteral("Error importing file.")));
        // Any other ending is read as LDIF, as the file list does; a JSON file holds no entries.
        QCOMPARE(env.runProgram({QStringLiteral("import"), TestEnvironment::dataPath(QStringLiteral("backup/every-field.json"))}, &out, &err), 0);
        QCOMPARE(out.trimmed(), QStringLiteral("No records found."));
        QCOMPARE(env.runProgram({QStringLiteral("import"), QStringLiteral("missing.vnbin")}, &out, &err), 1);
        QCOMPARE(env.runProgram({QStringLiteral("list")}, &out), 0);
        QVERIFY(out.trimmed().isEmpty());
    }

    void deleteKeepsEverythingWhenTheRecoveryFileFails()
    {
        TestEnvironment env;
        QString out;
        QString err;
        QCOMPARE(env.runProgram({QStringLiteral("seed"), QStringLiteral("--count"), QStringLiteral("2")}), 0);
        QCOMPARE(env.runProgram({QStringLiteral("list")}, &out), 0);
        const QString id = out.section(QLatin1Char('\t'), 0, 0);
        // trash.vnbin is a folder here, so it cannot be replaced by a file.
        QVERIFY(QDir().mkpath(env.documents() + QStringLiteral("/trash.vnbin/keep")));
        QCOMPARE(env.runProgram({QStringLiteral("delete"), id}, &out, &err), 1);
        QVERIFY(err.contains(QStringLiteral("No contacts were deleted.")));
        QCOMPARE(env.runProgram({QStringLiteral("list")}, &out), 0);
        QCOMPARE(out.trimmed().split(QLatin1Char('\n')).size(), 2);
    }
};

QTEST_GUILESS_MAIN(BackupCommandsTest)
#include "backup_commands_test.moc"
