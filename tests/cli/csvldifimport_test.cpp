#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QTest>

class CsvLdifImportCommandTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void mappingFlags()
    {
        TestEnvironment env;
        QFile file(env.path(QStringLiteral("people.csv")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("firstname,Surname,Email,Extra\nAna,Silva,ana@example.org,x\n");
        file.close();
        QString out, err;

        // Not every column mapped: the mapping is printed and nothing is imported.
        QCOMPARE(env.runProgram({QStringLiteral("import"), file.fileName()}, &out, &err), 1);
        QVERIFY(out.contains(QStringLiteral("0002 Email -> Email\n")));
        QVERIFY(out.contains(QStringLiteral("0003 Extra -> not mapped\n")));
        QVERIFY(out.contains(QStringLiteral("2 of 4 mapped")));
        QVERIFY(err.contains(QStringLiteral("Some fields are not mapped and will be lost.")));

        // Everything unmapped even with --yes.
        QCOMPARE(env.runProgram({QStringLiteral("import"), file.fileName(), QStringLiteral("--map"),
                                 QStringLiteral("firstname=-,2=-"), QStringLiteral("--yes")}, &out, &err), 1);
        QVERIFY(err.contains(QStringLiteral("At least one field must be mapped.")));

        QCOMPARE(env.runProgram({QStringLiteral("import"), file.fileName(), QStringLiteral("--map"),
                                 QStringLiteral("Nope=Email")}, &out, &err), 1);
        QVERIFY(err.contains(QStringLiteral("no column \"Nope\"")));

        // --guess places Surname, --map the rest by header text and by number.
        QCOMPARE(env.runProgram({QStringLiteral("import"), file.fileName(), QStringLiteral("--guess"),
                                 QStringLiteral("--map"), QStringLiteral("extra=note")}, &out, &err), 0);
        QVERIFY(out.contains(QStringLiteral("0001 Surname -> LastName\n")));
        QVERIFY(out.contains(QStringLiteral("4 of 4 mapped\n1 record added.\n")));

        QCOMPARE(env.runProgram({QStringLiteral("import"), file.fileName(), QStringLiteral("--yes")}, &out, &err), 0);
        QVERIFY(out.endsWith(QStringLiteral("1 record added.\n")));
        QCOMPARE(env.open()->personCount(), 2);
    }

    void ldifAndBrokenFiles()
    {
        TestEnvironment env;
        QString out, err;
        QCOMPARE(env.runProgram({QStringLiteral("import"), TestEnvironment::dataPath(QStringLiteral("ldif/schema0.ldif"))}, &out, &err), 0);
        QCOMPARE(out, QStringLiteral("3 records added.\n"));
        QCOMPARE(env.runProgram({QStringLiteral("import"), env.path(QStringLiteral("none.ldif"))}, &out, &err), 1);
        QVERIFY(err.contains(QStringLiteral("there is no file")));
        QCOMPARE(env.runProgram({QStringLiteral("import"), TestEnvironment::dataPath(QStringLiteral("broken/no_header.csv"))}, &out, &err), 1);
        QVERIFY(err.contains(QStringLiteral("Missing CSV header.")));

        // Every broken CSV ends with a clear status, never a crash; what can be read is read.
        const QDir broken(TestEnvironment::dataPath(QStringLiteral("broken")));
        for (const QString &name : broken.entryList({QStringLiteral("*.csv")}, QDir::Files)) {
            int status = env.runProgram({QStringLiteral("import"), broken.filePath(name), QStringLiteral("--yes"),
                                         QStringLiteral("--map"), QStringLiteral("0=LastName")}, &out, &err);
            QVERIFY2(status == 0 || status == 1, qPrintable(name));
        }
        QCOMPARE(env.runProgram({QStringLiteral("import"), broken.filePath(QStringLiteral("stray_quote.csv"))}, &out, &err), 0);
        QVERIFY(out.endsWith(QStringLiteral("1 record added.\n")));
        QCOMPARE(env.runProgram({QStringLiteral("import"), broken.filePath(QStringLiteral("unterminated_quote.csv")),
                                 QStringLiteral("--guess")}, &out, &err), 0);
        QVERIFY(out.endsWith(QStringLiteral("2 records added.\n")));

        // A 10 MB line with no line break: a header with nothing under it.
        QFile huge(env.path(QStringLiteral("huge.csv")));
        QVERIFY(huge.open(QIODevice::WriteOnly));
        huge.write(QByteArray(10 * 1024 * 1024, 'y'));
        huge.close();
        QCOMPARE(env.runProgram({QStringLiteral("import"), huge.fileName(), QStringLiteral("--map"), QStringLiteral("0=Note")}, &out, &err), 0);
        QVERIFY(out.endsWith(QStringLiteral("No records found.\n")));
    }
};

QTEST_GUILESS_MAIN(CsvLdifImportCommandTest)
#include "csvldifimport_test.moc"
