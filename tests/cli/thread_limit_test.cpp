// A user at the limit of processes and threads: the program gets no thread besides its main
// one. Every job that would hand work to helper threads (the readers, the backup export, the
// CSV export's count, the name sort of a long list, the read-ahead of an export) then does it
// on the main thread, with the same result, instead of aborting on the thread it cannot start.

#include "addressbook/ABSources.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QTest>

#include <grp.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// A user no process runs as, so that the program is the only process the limit counts.
constexpr uid_t kUser = 54321;
// More than the name sort sorts on one thread.
constexpr int kPeople = 5000;
// The exit status of a child that could not become kUser.
constexpr int kCannotSwitch = 99;

// Everything under the environment's folder may be read and written by kUser.
void shareWithTheUser(const TestEnvironment &env)
{
    const QString root = QFileInfo(env.documents()).absolutePath();
    QFile::setPermissions(root, QFileDevice::Permissions(0x7777));
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo entry(it.next());
        QFile::setPermissions(entry.filePath(), entry.isDir() ? QFileDevice::Permissions(0x7777) : QFileDevice::Permissions(0x6666));
    }
}

// Runs the program on `book` as kUser, who may have one process and no thread besides it.
int runWithoutThreads(const TestEnvironment &env, const QString &book, const QStringList &arguments, QString *out)
{
    QProcess process;
    process.setChildProcessModifier([] {
        rlimit one{1, 1};
        setgroups(0, nullptr);
        if (setgid(kUser) != 0 || setrlimit(RLIMIT_NPROC, &one) != 0 || setuid(kUser) != 0)
            _exit(kCannotSwitch);
    });
    // A sanitizer build checks for leaks at exit on a thread of its own, which the limit refuses.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    const QString sanitizer = environment.value(QStringLiteral("ASAN_OPTIONS"));
    environment.insert(QStringLiteral("ASAN_OPTIONS"),
                       sanitizer + (sanitizer.isEmpty() ? QString() : QStringLiteral(":")) + QStringLiteral("detect_leaks=0"));
    process.setProcessEnvironment(environment);
    process.setProgram(qEnvironmentVariable("VENNARO_BINARY"));
    process.setArguments(QStringList{QStringLiteral("--documents"), env.documents(), QStringLiteral("--addressbook"), book}
                         + arguments);
    process.start();
    process.waitForFinished(120000);
    *out = QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError());
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

int peopleIn(const QString &book)
{
    ABAddressBook::setDefaultPath(book);
    ABSources::reset();
    ABAddressBookRef opened = ABAddressBook::create();
    return opened ? opened->personCount() : -1;
}

} // namespace

class ThreadLimitTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyJobRunsOnOneThread()
    {
        if (geteuid() != 0)
            QSKIP("the limit binds only another user, and switching to one takes root");
        TestEnvironment env;
        shareWithTheUser(env);
        QString out;
        const int seeded = runWithoutThreads(env, env.addressBookPath(),
                                             {QStringLiteral("seed"), QStringLiteral("--count"), QString::number(kPeople)}, &out);
        if (seeded == kCannotSwitch)
            QSKIP("this machine lets no process switch to another user (a user namespace, say)");
        QCOMPARE(seeded, 0);
        QCOMPARE(runWithoutThreads(env, env.addressBookPath(), {QStringLiteral("list")}, &out), 0);
        QCOMPARE(out.count(QLatin1Char('\n')), kPeople);
        for (const char *format : {"vcf", "ldif", "csv", "bin"}) {
            const QString name = QStringLiteral("people-%1").arg(QLatin1String(format));
            QVERIFY2(runWithoutThreads(env, env.addressBookPath(),
                                       {QStringLiteral("export"), QStringLiteral("--format"), QLatin1String(format),
                                        QStringLiteral("--name"), name},
                                       &out)
                         == 0,
                     qPrintable(out));
            const QString file = QDir(env.documents()).entryList({name + QStringLiteral(".*")}, QDir::Files).value(0);
            QVERIFY2(!file.isEmpty(), format);
            const QString book = env.path(name + QStringLiteral(".db"));
            QVERIFY2(runWithoutThreads(env, book, {QStringLiteral("import"), env.documents() + QLatin1Char('/') + file,
                                                   QStringLiteral("--yes")},
                                       &out)
                         == 0,
                     qPrintable(out));
            QCOMPARE(peopleIn(book), kPeople);
        }
    }
};

QTEST_GUILESS_MAIN(ThreadLimitTest)
#include "thread_limit_test.moc"
