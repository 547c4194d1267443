// Two programs on one address book: a writer that finds it locked waits a bounded time and then
// says so in words; commands running at once never damage it.

#include "addressbook/ABConnection.h"
#include "addressbook/AddressBookBusy.h"
#include "support/ProgramRuns.h"
#include "support/TestEnvironment.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTest>

namespace {

QString cards(const QString &prefix, int count)
{
    QString text;
    for (int i = 0; i < count; ++i)
        text += QStringLiteral("BEGIN:VCARD\nVERSION:3.0\nN:%1%2;Person;;;\nEND:VCARD\n").arg(prefix).arg(i);
    return text;
}

bool writeText(const QString &path, const QString &text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) >= 0;
}

} // namespace

class ConcurrentUseTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void writerFindingTheBookLockedSaysSoInWords_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("import") << QStringList{QStringLiteral("import"), QStringLiteral("one.vcf")};
        QTest::newRow("delete") << QStringList{QStringLiteral("delete"), QStringLiteral("FIRST")};
        QTest::newRow("add") << QStringList{QStringLiteral("add"), QStringLiteral("--json"), QStringLiteral("-")};
    }

    void writerFindingTheBookLockedSaysSoInWords()
    {
        QFETCH(QStringList, arguments);
        TestEnvironment env;
        QCOMPARE(env.runProgram({QStringLiteral("seed"), QStringLiteral("--count"), QStringLiteral("3")}), 0);
        QVERIFY(writeText(env.documents() + QStringLiteral("/one.vcf"), cards(QStringLiteral("Locked"), 1)));
        QString listed;
        QCOMPARE(env.runProgram({QStringLiteral("list")}, &listed), 0);
        arguments.replaceInStrings(QStringLiteral("FIRST"), listed.section(QLatin1Char('\t'), 0, 0));

        // Another window or command is in the middle of its save.
        auto other = ABConnection::open(env.addressBookPath(), false);
        QVERIFY(other);
        QVERIFY((*other)->exec("BEGIN IMMEDIATE"));
        QString out;
        QString err;
        QElapsedTimer waited;
        waited.start();
        QCOMPARE(env.runProgram(arguments, &out, &err, "{\"lastName\": \"Locked\"}"), 1);
        QVERIFY2(waited.elapsed() < 60000, "the wait for the lock is bounded");
        QVERIFY2(err.contains(AddressBookBusy::message()), qPrintable(err));
        QVERIFY2(!err.contains(QStringLiteral("database is locked")), qPrintable(err));
        // The cause, not the general failure of an import.
        QVERIFY2(!err.contains(QStringLiteral("Error importing file.")), qPrintable(err));
        QVERIFY((*other)->exec("ROLLBACK"));
        other->reset();

        ABAddressBookRef book = env.open();
        QCOMPARE(book->personCount(), 3);
    }

    void commandsWritingAtOnceLeaveASoundBook()
    {
        TestEnvironment env;
        constexpr int kCards = 1500;
        for (const char *name : {"a", "b", "c"})
            QVERIFY(writeText(env.path(QLatin1String(name) + QStringLiteral(".vcf")), cards(QLatin1String(name), kCards)));
        QProcess imports[3];
        const char *names[] = {"a", "b", "c"};
        for (int i = 0; i < 3; ++i)
            ProgramRuns::start(env, imports[i], {QStringLiteral("import"), env.path(QLatin1String(names[i]) + QStringLiteral(".vcf"))});
        int succeeded = 0;
        for (QProcess &import : imports) {
            QVERIFY(import.waitForFinished(120000));
            const QString err = QString::fromUtf8(import.readAllStandardError());
            // Each either waited its turn or gave up saying why, never with a raw SQLite text.
            if (import.exitCode() == 0)
                ++succeeded;
            else
                QVERIFY2(err.contains(AddressBookBusy::message()) && !err.contains(QStringLiteral("database is locked")),
                         qPrintable(err));
        }
        QVERIFY(succeeded >= 1);
        QCOMPARE(ProgramRuns::integrityCheck(env.addressBookPath()), QStringLiteral("ok"));
        QCOMPARE(env.open()->personCount(), succeeded * kCards);
    }
};

QTEST_GUILESS_MAIN(ConcurrentUseTest)
#include "concurrent_use_test.moc"
