// Writing that fails: a disk that is full (the file-size limit of the process lowered, so no
// mount is needed) and a documents folder that is read-only. Every file the program writes must
// fail with its message and a non-zero exit, and leave the earlier file and the address book
// as they were.

#include "platform/Localization.h"
#include "shell/AppDelegate.h"
#include "shell/Documents.h"
#include "support/ProgramRuns.h"
#include "support/TestEnvironment.h"
#include "support/WriteLimits.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

enum class Limit { FullDisk, ReadOnlyDocuments };
Q_DECLARE_METATYPE(Limit)

namespace {

constexpr int kPeople = 2000;
// Larger than SQLite's shared-memory file (32 KB), so that the address book still opens;
// smaller than any export of kPeople people.
constexpr qint64 kFileSizeLimit = 64 * 1024;
const QByteArray kEarlier("the earlier file of this name\n");

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

// Runs the program under the limit; answers its exit status and fills `err`.
int runLimited(const TestEnvironment &env, Limit limit, const QStringList &arguments, QString *err)
{
    QProcess process;
    if (limit == Limit::FullDisk) {
        process.setChildProcessModifier(WriteLimits::fileSizeLimit(kFileSizeLimit));
    } else {
        QFile::setPermissions(env.documents(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        process.setChildProcessModifier(WriteLimits::honourPermissions());
    }
    ProgramRuns::start(env, process, arguments);
    process.waitForFinished(120000);
    QFile::setPermissions(env.documents(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    *err = QString::fromUtf8(process.readAllStandardError());
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

void addLimitRows(const char *name)
{
    QTest::addColumn<Limit>("limit");
    QTest::addRow("%s, full disk", name) << Limit::FullDisk;
    QTest::addRow("%s, read-only documents", name) << Limit::ReadOnlyDocuments;
}

} // namespace

class WriteErrorsTest : public QObject {
    Q_OBJECT

    TestEnvironment *m_env = nullptr;

    int peopleCount() const
    {
        ABAddressBookRef book = m_env->open();
        return book ? book->personCount() : -1;
    }

private Q_SLOTS:
    void init()
    {
        m_env = new TestEnvironment;
        QCOMPARE(m_env->runProgram({QStringLiteral("seed"), QStringLiteral("--count"), QString::number(kPeople)}), 0);
    }

    void cleanup()
    {
        delete m_env;
    }

    void exportFailsAndKeepsTheEarlierFile_data()
    {
        QTest::addColumn<Limit>("limit");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("file");
        const struct {
            const char *format;
            QStringList options;
            const char *file;
        } formats[] = {
            {"csv", {}, "people.csv"},
            {"ldif", {}, "people.ldif"},
            {"html", {}, "people.html"},
            {"txt", {}, "people.txt"},
            {"bin", {}, "people.vnbin"},
            {"vcf", {}, "people.vcf"},
            {"vcf", {QStringLiteral("--per-contact")}, "people.zip"},
            {"win", {}, "people.zip"},
        };
        for (const auto &format : formats) {
            for (Limit limit : {Limit::FullDisk, Limit::ReadOnlyDocuments}) {
                QTest::addRow("%s%s, %s", format.format, format.options.isEmpty() ? "" : " per contact",
                              limit == Limit::FullDisk ? "full disk" : "read-only documents")
                    << limit << QString::fromLatin1(format.format) << format.options << QString::fromLatin1(format.file);
            }
        }
    }

    void exportFailsAndKeepsTheEarlierFile()
    {
        QFETCH(Limit, limit);
        QFETCH(QString, format);
        QFETCH(QStringList, options);
        QFETCH(QString, file);
        const QString path = m_env->documents() + QLatin1Char('/') + file;
        QVERIFY(writeAll(path, kEarlier));
        QString err;
        const int status = runLimited(*m_env, limit,
                                      QStringList{QStringLiteral("export"), QStringLiteral("--format"), format,
                                                  QStringLiteral("--name"), QStringLiteral("people")}
                                          + options,
                                      &err);
        const QStringList files = QDir(m_env->documents()).entryList(QDir::Files);
        const bool failedCleanly = status == 1 && err.contains(QStringLiteral("nothing was written"))
                                   && readAll(path) == kEarlier && files == QStringList{file};
        QVERIFY2(failedCleanly, qPrintable(QStringLiteral("status %1, files %2: %3").arg(status).arg(files.join(QLatin1Char(' ')), err)));
    }

    void deleteWithoutARecoveryFileRemovesNobody_data()
    {
        addLimitRows("trash.vnbin");
    }

    void deleteWithoutARecoveryFileRemovesNobody()
    {
        QFETCH(Limit, limit);
        QString listed;
        QCOMPARE(m_env->runProgram({QStringLiteral("list")}, &listed), 0);
        QStringList ids;
        for (const QString &line : listed.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            ids.append(line.section(QLatin1Char('\t'), 0, 0));
        const QString trash = m_env->documents() + QStringLiteral("/trash.vnbin");
        QVERIFY(writeAll(trash, kEarlier));
        QString err;
        QCOMPARE(runLimited(*m_env, limit, {QStringLiteral("delete"), ids.join(QLatin1Char(','))}, &err), 1);
        QVERIFY2(err.contains(L("KErrTrashFile")), qPrintable(err));
        QCOMPARE(peopleCount(), kPeople);
        QCOMPARE(readAll(trash), kEarlier);
    }

    void settingsThatCannotBeWrittenAreReported_data()
    {
        addLimitRows("settings.plist");
    }

    void settingsThatCannotBeWrittenAreReported()
    {
        QFETCH(Limit, limit);
        QCOMPARE(m_env->runProgram({QStringLiteral("settings"), QStringLiteral("set"), QStringLiteral("Marker"),
                                    QStringLiteral("1")}),
                 0);
        const QString settings = m_env->documents() + QStringLiteral("/settings.plist");
        const QByteArray earlier = readAll(settings);
        QString err;
        // A long text makes the file larger than the limit.
        QCOMPARE(runLimited(*m_env, limit,
                            {QStringLiteral("settings"), QStringLiteral("set"), QStringLiteral("LastFilename"),
                             QString(kFileSizeLimit, QLatin1Char('n'))},
                            &err),
                 1);
        QVERIFY2(err.contains(QStringLiteral("cannot write")), qPrintable(err));
        QCOMPARE(readAll(settings), earlier);
    }

    void ruleFileThatCannotBeCopiedLeavesNothingHalfWritten_data()
    {
        addLimitRows("FormatRules.plist");
    }

    void ruleFileThatCannotBeCopiedLeavesNothingHalfWritten()
    {
        QFETCH(Limit, limit);
        // The rules are copied by the window at start, in this process here.
        Documents::setPath(m_env->documents());
        bool copied = true;
        if (limit == Limit::FullDisk) {
            WriteLimits::FileSizeLimit full(64);
            copied = AppDelegate::createDefaultsIfNeeded(false);
        } else {
            QFile::setPermissions(m_env->documents(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
            WriteLimits::HonourPermissions honour;
            copied = AppDelegate::createDefaultsIfNeeded(false);
            QFile::setPermissions(m_env->documents(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        }
        QVERIFY(!copied);
        QVERIFY(!QFile::exists(m_env->documents() + QStringLiteral("/FormatRules.plist")));
        QVERIFY(QDir(m_env->documents()).entryList(QDir::Files).filter(QStringLiteral("FormatRules")).isEmpty());
        // Once the disk has room again, the next start copies them.
        QVERIFY(AppDelegate::createDefaultsIfNeeded(false));
    }

    void importThatCannotBeSavedChangesNothing()
    {
        QString text;
        for (int i = 0; i < kPeople; ++i)
            text += QStringLiteral("BEGIN:VCARD\nVERSION:3.0\nN:Imported%1;Person;;;\nNOTE:%2\nEND:VCARD\n").arg(i).arg(QString(60, QLatin1Char('x')));
        const QString file = m_env->path(QStringLiteral("many.vcf"));
        QVERIFY(writeAll(file, text.toUtf8()));
        QString err;
        QCOMPARE(runLimited(*m_env, Limit::FullDisk, {QStringLiteral("import"), file}, &err), 1);
        QVERIFY2(err.contains(QStringLiteral("Error importing file.")), qPrintable(err));
        QCOMPARE(ProgramRuns::integrityCheck(m_env->addressBookPath()), QStringLiteral("ok"));
        QCOMPARE(peopleCount(), kPeople);
    }
};

QTEST_GUILESS_MAIN(WriteErrorsTest)
#include "write_errors_test.moc"
