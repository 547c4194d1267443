// `vennaro account`: list, import and export against Radicale, and what it refuses.

#include "support/RadicaleServer.h"
#include "support/SampleContacts.h"
#include "support/TestEnvironment.h"

#include <QtTest>

using namespace Qt::StringLiterals;

class AccountCommandTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { qputenv("VENNARO_PASSWORD", RadicaleServer::kPassword); }
    void cleanup() { qunsetenv("VENNARO_PASSWORD"); }

    void exportListImport()
    {
        RadicaleServer server;
        QVERIFY2(server.startError().isEmpty(), qPrintable(server.startError()));
        const QStringList account{u"--url"_s, server.baseUrl().toString(), u"--user"_s, QString::fromLatin1(RadicaleServer::kUser)};
        QString out, err;
        {
            TestEnvironment env;
            SampleContacts::fill(*env.open()); // the working set: the three people with a name
            QVERIFY2(env.runProgram(QStringList{u"account"_s, u"export"_s} + account, &out, &err) == 0, qPrintable(err));
            QCOMPARE(out, u"3 contacts created, 0 failed.\n"_s);
        }
        TestEnvironment env;
        QCOMPARE(env.runProgram(QStringList{u"account"_s, u"list"_s} + account, &out, &err), 0);
        const QStringList lines = out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 3);
        QStringList names;
        for (const QString &line : lines) {
            const QStringList fields = line.split(u'\t');
            QCOMPARE(fields.size(), 2);
            QCOMPARE(fields[0].size(), 36); // the UID we gave the contact
            names.append(fields[1]);
        }
        QCOMPARE(names, QStringList({u"AC/DC Fãs"_s, u"Ana Sofia Marques"_s, u"Žofia Novák"_s}));

        const QString uid = lines.last().section(u'\t', 0, 0);
        QCOMPARE(env.runProgram(QStringList{u"account"_s, u"import"_s, u"--uids"_s, uid} + account, &out, &err), 0);
        QCOMPARE(out, u"1 record added.\n"_s);
        QCOMPARE(env.open()->copyArrayOfAllPeople().first()->copyText(kABPersonLastNameProperty), u"Novák"_s);
        // Default: all of them.
        QCOMPARE(env.runProgram(QStringList{u"account"_s, u"import"_s} + account, &out, &err), 0);
        QCOMPARE(out, u"3 records added.\n"_s);
    }

    void refusals_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("password");
        QTest::addColumn<QString>("message");
        const QStringList user{u"--user"_s, u"alice"_s};
        QTest::newRow("no action") << QStringList{u"account"_s} << QByteArray("secret") << u"give list, import or export"_s;
        QTest::newRow("no server") << QStringList{u"account"_s, u"list"_s} + user << QByteArray("secret") << u"--url"_s;
        QTest::newRow("no password on a pipe") << QStringList{u"account"_s, u"list"_s, u"--url"_s, u"URL"_s} + user << QByteArray()
                                               << u"VENNARO_PASSWORD"_s;
        QTest::newRow("wrong password") << QStringList{u"account"_s, u"list"_s, u"--url"_s, u"URL"_s} + user << QByteArray("nope")
                                        << u"Unable to Login: Invalid email or password."_s;
        QTest::newRow("unknown UID") << QStringList{u"account"_s, u"import"_s, u"--uids"_s, u"x-1"_s, u"--url"_s, u"URL"_s} + user
                                     << QByteArray("secret") << u"the account has no contact x-1"_s;
        QTest::newRow("bad record identifier")
            << QStringList{u"account"_s, u"export"_s, u"--ids"_s, u"1,b"_s, u"--url"_s, u"URL"_s} + user << QByteArray("secret")
            << u"\"b\" is not a record identifier"_s;
    }

    void refusals()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, password);
        QFETCH(QString, message);
        RadicaleServer server;
        QVERIFY2(server.startError().isEmpty(), qPrintable(server.startError()));
        arguments.replaceInStrings(u"URL"_s, server.baseUrl().toString());
        if (password.isEmpty())
            qunsetenv("VENNARO_PASSWORD");
        else
            qputenv("VENNARO_PASSWORD", password);
        TestEnvironment env;
        QString out, err;
        QCOMPARE(env.runProgram(arguments, &out, &err), 1);
        QVERIFY2(err.contains(message), qPrintable(err));
        QVERIFY(out.isEmpty());
    }
};

QTEST_GUILESS_MAIN(AccountCommandTest)
#include "account_command_test.moc"
