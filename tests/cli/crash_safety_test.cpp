// Commands stopped with SIGKILL at several points of their work, as a power cut or an impatient
// person would: the address book must open, pass SQLite's integrity check and hold none or all of
// the change; a file being written must be the earlier one or the complete new one.

#include "formats/backup/BackupImport.h"
#include "support/ProgramRuns.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTest>

#include <functional>
#include <memory>

namespace {

constexpr int kPeople = 20000;
// Exports and deletes read the book whole; a smaller one keeps their runs short.
constexpr int kSmallBook = 3000;
// Where a run is stopped, as fractions of the time an uninterrupted run takes: early in reading,
// midway, and late, where the save is under way.
constexpr double kKillPoints[] = {0.15, 0.45, 0.75, 0.92};

QByteArray vCards(int count)
{
    QByteArray text;
    text.reserve(count * 160);
    for (int i = 0; i < count; ++i) {
        const QByteArray n = QByteArray::number(i);
        text += "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Last" + n + ";First" + n + ";;;\r\nFN:First" + n + " Last" + n
                + "\r\nTEL;TYPE=CELL:+351 91 " + n + "\r\nEMAIL;TYPE=INTERNET:p" + n
                + "@example.org\r\nNOTE:card " + n + "\r\nEND:VCARD\r\n";
    }
    return text;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// Runs the program and kills it with SIGKILL after `afterMs` milliseconds unless it ended
// before. Answers whether it was killed.
bool runKilledAfter(const TestEnvironment &env, const QStringList &arguments, qint64 afterMs)
{
    QProcess process;
    ProgramRuns::start(env, process, arguments);
    if (!process.waitForStarted() || process.waitForFinished(int(afterMs)))
        return false;
    process.kill();
    process.waitForFinished();
    return true;
}

// Runs the program to its end; answers the milliseconds it took.
qint64 timedRun(const TestEnvironment &env, const QStringList &arguments)
{
    QElapsedTimer clock;
    clock.start();
    const int status = env.runProgram(arguments);
    return status == 0 ? clock.elapsed() : -1;
}

// The people of a book, -1 when it does not open or fails SQLite's integrity check.
int soundPeopleCount(const TestEnvironment &env)
{
    if (ProgramRuns::integrityCheck(env.addressBookPath()) != QLatin1String("ok"))
        return -1;
    ABAddressBookRef book = env.open();
    return book ? book->personCount() : -1;
}

bool copyBook(const QString &from, const TestEnvironment &to)
{
    QFile::remove(to.addressBookPath());
    return QFile::copy(from, to.addressBookPath());
}

// A vCard carries the second it was written (REV); two complete runs may differ there only.
QByteArray withoutRevisionTimes(const QByteArray &bytes)
{
    QList<QByteArray> lines = bytes.split('\n');
    lines.removeIf([](const QByteArray &line) { return line.startsWith("REV:"); });
    return lines.join('\n');
}

} // namespace

class CrashSafetyTest : public QObject {
    Q_OBJECT

    // A book of kPeople people and the files the imports read: the same people as vCards and as
    // a Vennaro backup. Exports and deletes work on a copy of a book of kSmallBook people.
    std::unique_ptr<TestEnvironment> m_master;
    QString m_book;

private Q_SLOTS:
    void initTestCase()
    {
        m_master = std::make_unique<TestEnvironment>();
        QVERIFY(writeAll(m_master->path(QStringLiteral("small.vcf")), vCards(kSmallBook)));
        QCOMPARE(m_master->runProgram({QStringLiteral("import"), m_master->path(QStringLiteral("small.vcf"))}), 0);
        m_book = m_master->path(QStringLiteral("small.db"));
        QVERIFY(QFile::copy(m_master->addressBookPath(), m_book));

        QVERIFY(QFile::remove(m_master->addressBookPath()));
        QVERIFY(writeAll(m_master->path(QStringLiteral("people.vcf")), vCards(kPeople)));
        QCOMPARE(m_master->runProgram({QStringLiteral("import"), m_master->path(QStringLiteral("people.vcf"))}), 0);
        QCOMPARE(soundPeopleCount(*m_master), kPeople);
        QCOMPARE(m_master->runProgram({QStringLiteral("export"), QStringLiteral("--format"), QStringLiteral("bin"),
                                       QStringLiteral("--name"), QStringLiteral("people")}),
                 0);
    }

    void cleanupTestCase()
    {
        m_master.reset();
    }

    void importStoppedAnywhereAddsNoneOrAll_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("vCard") << QStringLiteral("people.vcf");
        QTest::newRow("backup") << QStringLiteral("Documents/people.vnbin");
    }

    void importStoppedAnywhereAddsNoneOrAll()
    {
        QFETCH(QString, file);
        const QStringList import{QStringLiteral("import"), m_master->path(file)};
        TestEnvironment reference;
        const qint64 fullMs = timedRun(reference, import);
        QVERIFY(fullMs > 0);
        QCOMPARE(soundPeopleCount(reference), kPeople);

        TestEnvironment env;
        QCOMPARE(env.runProgram({QStringLiteral("seed"), QStringLiteral("--count"), QStringLiteral("3")}), 0);
        int before = 3;
        for (double point : kKillPoints) {
            const bool killed = runKilledAfter(env, import, qint64(point * double(fullMs)));
            const int after = soundPeopleCount(env);
            qInfo("import %s stopped at %.0f%% of %lld ms: %s, book sound: %s, added %d", qPrintable(file), point * 100,
                  fullMs, killed ? "killed" : "had ended", after >= 0 ? "yes" : "no", after - before);
            QVERIFY2(after == before || after == before + kPeople, qPrintable(QString::number(after)));
            before = after;
        }
    }

    void exportStoppedAnywhereLeavesTheEarlierOrTheWholeFile_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("file");
        QTest::newRow("csv") << QStringLiteral("csv") << QStringLiteral("people.csv");
        QTest::newRow("ldif") << QStringLiteral("ldif") << QStringLiteral("people.ldif");
        // HTML and text go through the same temporary-file writer as CSV and LDIF.
        QTest::newRow("backup") << QStringLiteral("bin") << QStringLiteral("people.vnbin");
        QTest::newRow("vcard") << QStringLiteral("vcf") << QStringLiteral("people.vcf");
        // The zip packages carry the time they were written, so two complete runs differ byte for
        // byte; write_errors_test covers that a failed zip leaves the earlier one.
    }

    void exportStoppedAnywhereLeavesTheEarlierOrTheWholeFile()
    {
        QFETCH(QString, format);
        QFETCH(QString, file);
        TestEnvironment env;
        QVERIFY(copyBook(m_book, env));
        const QStringList exportAll{QStringLiteral("export"), QStringLiteral("--format"), format, QStringLiteral("--name"),
                                    QStringLiteral("people")};
        const QString path = env.documents() + QLatin1Char('/') + file;
        const qint64 fullMs = timedRun(env, exportAll);
        QVERIFY(fullMs > 0);
        const QByteArray complete = withoutRevisionTimes(readAll(path));
        const QByteArray earlier("the earlier file of this name\n");

        for (double point : kKillPoints) {
            QVERIFY(writeAll(path, earlier));
            const bool killed = runKilledAfter(env, exportAll, qint64(point * double(fullMs)));
            const QByteArray now = withoutRevisionTimes(readAll(path));
            qInfo("export %s stopped at %.0f%% of %lld ms: %s, file: %s", qPrintable(format), point * 100, fullMs,
                  killed ? "killed" : "had ended", now == earlier ? "earlier" : now == complete ? "complete" : "DAMAGED");
            QVERIFY2(now == earlier || now == complete, qPrintable(QString::number(now.size())));
        }
    }

    void deleteStoppedAnywhereKeepsEveryRemovedPersonInTheTrash()
    {
        TestEnvironment env;
        QVERIFY(copyBook(m_book, env));
        QString listed;
        QCOMPARE(env.runProgram({QStringLiteral("list")}, &listed), 0);
        QStringList ids;
        for (const QString &line : listed.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            if (ids.size() < kSmallBook / 2)
                ids.append(line.section(QLatin1Char('\t'), 0, 0));
        }
        const QStringList remove{QStringLiteral("delete"), ids.join(QLatin1Char(','))};
        const qint64 fullMs = timedRun(env, remove);
        QVERIFY(fullMs > 0);
        const QString trash = env.documents() + QStringLiteral("/trash.vnbin");

        for (double point : kKillPoints) {
            QVERIFY(copyBook(m_book, env));
            QFile::remove(trash);
            const bool killed = runKilledAfter(env, remove, qint64(point * double(fullMs)));
            const int removed = kSmallBook - soundPeopleCount(env);
            const bool trashWritten = QFile::exists(trash);
            int inTrash = 0;
            if (trashWritten) {
                TestEnvironment reader;
                inTrash = importDataBIN(trash, 0, nullptr);
            }
            qInfo("delete stopped at %.0f%% of %lld ms: %s, removed %d, people in trash.vnbin %d", point * 100, fullMs,
                  killed ? "killed" : "had ended", removed, inTrash);
            QVERIFY2(removed == 0 || removed == ids.size(), qPrintable(QString::number(removed)));
            // A recovery file that is there is whole; people are gone only once it is.
            QVERIFY(!trashWritten || inTrash == ids.size());
            QVERIFY(removed == 0 || inTrash == ids.size());
        }
    }
};

QTEST_GUILESS_MAIN(CrashSafetyTest)
#include "crash_safety_test.moc"
