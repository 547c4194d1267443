#include "TestEnvironment.h"
#include "platform/Arguments.h"
#include "shell/LaunchOptions.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

namespace {

QByteArray everyFamily()
{
    QFile file(TestEnvironment::dataPath(QStringLiteral("cli/every-family.json")));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class CommandsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void argumentsSplitIntoOptionsFlagsAndWords()
    {
        Arguments args = parseArguments({QStringLiteral("--name"), QStringLiteral("x"), QStringLiteral("--yes"),
                                         QStringLiteral("file.csv"), QStringLiteral("--map=a=b")},
                                        {QStringLiteral("name"), QStringLiteral("map")}, {QStringLiteral("yes")});
        QVERIFY(args.error.isEmpty());
        QCOMPARE(args.value(QStringLiteral("name")), QStringLiteral("x"));
        QCOMPARE(args.value(QStringLiteral("map")), QStringLiteral("a=b"));
        QVERIFY(args.has(QStringLiteral("yes")));
        QCOMPARE(args.positional, QStringList{QStringLiteral("file.csv")});
        QVERIFY(!parseArguments({QStringLiteral("--name")}, {QStringLiteral("name")}, {}).error.isEmpty());
        QVERIFY(!parseArguments({QStringLiteral("--what")}, {}, {}).error.isEmpty());

        LaunchOptions launch = LaunchOptions::parse({QStringLiteral("--documents"), QStringLiteral("/d"),
                                                     QStringLiteral("--addressbook=/a.db"), QStringLiteral("list"),
                                                     QStringLiteral("--source"), QStringLiteral("1")});
        QCOMPARE(launch.documents, QStringLiteral("/d"));
        QCOMPARE(launch.addressbook, QStringLiteral("/a.db"));
        QCOMPARE(launch.command, QStringLiteral("list"));
        QCOMPARE(launch.commandArguments, (QStringList{QStringLiteral("--source"), QStringLiteral("1")}));
        QVERIFY(LaunchOptions::parse({}).command.isEmpty());
        QVERIFY(!LaunchOptions::parse({QStringLiteral("--documents")}).error.isEmpty());
    }

    void addAndShowRoundTripEveryFamily()
    {
        TestEnvironment env;
        QString out, err;
        QCOMPARE(env.runProgram({QStringLiteral("add"), QStringLiteral("--json"), QStringLiteral("-")}, &out, &err, everyFamily()), 0);
        const QString id = out.trimmed();
        QVERIFY2(id.toInt() > 0, qPrintable(err));
        QCOMPARE(env.runProgram({QStringLiteral("show"), id, QStringLiteral("--json")}, &out, &err), 0);
        QJsonObject shown = QJsonDocument::fromJson(out.toUtf8()).object();
        QJsonObject expected = QJsonDocument::fromJson(everyFamily()).object();
        QCOMPARE(shown, expected);

        QCOMPARE(env.runProgram({QStringLiteral("show"), id}, &out, &err), 0);
        QVERIFY(out.startsWith(QStringLiteral("Dr. Zoë Maria Ødegaard Jr.\n")));
        QVERIFY(out.contains(QStringLiteral("phones (mobile): +351 912 345 678")));
        QCOMPARE(env.runProgram({QStringLiteral("list")}, &out, &err), 0);
        QCOMPARE(out, id + QStringLiteral("\tDr. Zoë Maria Ødegaard Jr.\n"));
    }

    void badInputGivesAMessageAndAnErrorStatus_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QString>("message");
        QTest::newRow("unknown command") << QStringList{QStringLiteral("frobnicate")} << QByteArray() << QStringLiteral("unknown command");
        QTest::newRow("not json") << QStringList{QStringLiteral("add"), QStringLiteral("--json"), QStringLiteral("-")}
                                  << QByteArray("{broken") << QStringLiteral("not a JSON object");
        QTest::newRow("unknown key") << QStringList{QStringLiteral("add"), QStringLiteral("--json"), QStringLiteral("-")}
                                     << QByteArray("{\"fistName\": \"x\"}") << QStringLiteral("unknown key \"fistName\"");
        QTest::newRow("bad date") << QStringList{QStringLiteral("add"), QStringLiteral("--json"), QStringLiteral("-")}
                                  << QByteArray("{\"dates\": [{\"value\": \"yesterday\"}]}") << QStringLiteral("is not a date");
        QTest::newRow("missing person") << QStringList{QStringLiteral("show"), QStringLiteral("42")} << QByteArray()
                                        << QStringLiteral("no person has the identifier 42");
        QTest::newRow("bad setting") << QStringList{QStringLiteral("settings"), QStringLiteral("set"), QStringLiteral("CharSet"), QStringLiteral("x")}
                                     << QByteArray() << QStringLiteral("needs a whole number");
        QTest::newRow("bad source") << QStringList{QStringLiteral("list"), QStringLiteral("--source"), QStringLiteral("9")}
                                    << QByteArray() << QStringLiteral("there is no source 9");
    }

    void badInputGivesAMessageAndAnErrorStatus()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, input);
        QFETCH(QString, message);
        TestEnvironment env;
        QString out, err;
        QCOMPARE(env.runProgram(arguments, &out, &err, input), 1);
        QVERIFY2(err.contains(message), qPrintable(err));
        QCOMPARE(env.runProgram({QStringLiteral("list")}, &out, &err), 0);
        QVERIFY2(out.isEmpty(), "nothing was added");
    }

    void corruptAddressBookIsReportedAndKept()
    {
        TestEnvironment env;
        QFile file(env.addressBookPath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(4096, 'x'));
        file.close();
        QString out, err;
        QCOMPARE(env.runProgram({QStringLiteral("seed"), QStringLiteral("--count"), QStringLiteral("3")}, &out, &err), 1);
        QVERIFY(err.contains(QStringLiteral("Couldn't create addressbook.")));
        QCOMPARE(QFileInfo(env.addressBookPath()).size(), 4096);
    }

    void seedSourcesAndSettings()
    {
        TestEnvironment env;
        QString out, err;
        QCOMPARE(env.runProgram({QStringLiteral("seed"), QStringLiteral("--count"), QStringLiteral("25"), QStringLiteral("--sources")}, &out, &err), 0);
        QCOMPARE(out, QStringLiteral("25\n"));
        QCOMPARE(env.runProgram({QStringLiteral("sources")}, &out, &err), 0);
        QCOMPARE(out, QStringLiteral("0\tAll\n1\tOn my device\n2\tExchange server\n3\tCardDAV server\n4\tLDAP server\n"));
        QCOMPARE(env.runProgram({QStringLiteral("list")}, &out, &err), 0);
        QCOMPARE(out.count(QLatin1Char('\n')), 25);
        QCOMPARE(env.runProgram({QStringLiteral("list"), QStringLiteral("--source"), QStringLiteral("2")}, &out, &err), 0);
        QVERIFY(out.count(QLatin1Char('\n')) >= 1 && out.count(QLatin1Char('\n')) < 25);

        // The same seed gives the same people.
        TestEnvironment other;
        QString again;
        other.runProgram({QStringLiteral("seed"), QStringLiteral("--count"), QStringLiteral("25"), QStringLiteral("--sources")});
        other.runProgram({QStringLiteral("list")}, &again);
        env.runProgram({QStringLiteral("list")}, &out);
        QCOMPARE(again, out);

        QCOMPARE(env.runProgram({QStringLiteral("settings"), QStringLiteral("set"), QStringLiteral("ExportFlags"), QStringLiteral("0x7e")}, &out, &err), 0);
        QCOMPARE(env.runProgram({QStringLiteral("settings")}, &out, &err), 0);
        QVERIFY(out.contains(QStringLiteral("ExportFlags\t126\n")));
    }
};

QTEST_GUILESS_MAIN(CommandsTest)
#include "commands_test.moc"
