// Imports 100,000 CSV rows, 100,000 LDIF entries and one LDIF entry whose photo is a single
// 50 MB base64 line, each in its own child process so that each import's peak memory is its
// own. argv[1] is the scratch folder.

#include "benchsupport.h"
#include "formats/csv/CSVimport.h"
#include "formats/ldif/LdifReader.h"
#include "platform/DevLog.h"
#include "shell/AppData.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>

#include <sys/resource.h>

#include <cstdio>

namespace {

// VENNARO_BENCH_COUNT may lower the count while profiling.
const int kCount = qEnvironmentVariableIntValue("VENNARO_BENCH_COUNT") > 0 ? qEnvironmentVariableIntValue("VENNARO_BENCH_COUNT") : 100000;

QString generateCsv(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    file.write("firstname,middlename,lastname,group,phone,phone,email,organization,title,birthday,note,"
               "street,city,state,country,zipcode\n");
    for (int i = 0; i < kCount; ++i) {
        file.write(QStringLiteral("\"Name%1\",,\"Família%1\",\"Group%2\",\"+351 91 %1\",\"+351 21 %1\",\"p%1@example.org\","
                                  "\"Firma %3\",\"Técnico\",\"1980-01-%4\",\"Nota com \"\"aspas\"\", vírgula\",\"Rua %1\","
                                  "\"Lisboa\",,\"Portugal\",\"1000-%3\"\n")
                       .arg(i).arg(i % 10).arg(i % 1000).arg(i % 28 + 1, 2, 10, QLatin1Char('0'))
                       .toUtf8());
    }
    return path;
}

QString generateLdif(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    file.write("version: 1\n");
    for (int i = 0; i < kCount; ++i) {
        file.write(QStringLiteral("dn: cn=Name%1 Família%1\nobjectclass: top\nobjectclass: person\n"
                                  "objectclass: organizationalPerson\nobjectclass: inetOrgPerson\nobjectclass: vnroPerson\n"
                                  "cn: Name%1 Família%1\ngivenName: Name%1\nsn: Família%1\nvnroGroup: Group%2\n"
                                  "mobile: +351 91 %1\nvnroWorkPhone: +351 21 %1\nmail: p%1@example.org\n"
                                  "labeledURI: https://example.org/%1\no: Firma %3\ntitle: Técnico\n"
                                  "vnroBirthday: 1980-01-%4\nvnroIM;work: user%1 (Jabber)\ndescription:: Tm90YQpjb20gZHVhcyBsaW5oYXM=\n"
                                  "street: Rua %1\nl: Lisboa\nc: Portugal\npostalCode: 1000-%3\n\n")
                       .arg(i).arg(i % 10).arg(i % 1000).arg(i % 28 + 1, 2, 10, QLatin1Char('0'))
                       .toUtf8());
    }
    return path;
}

// One entry whose photo value is one line of 50 MB: reading it must take time in proportion
// to its length.
QString generateLongLine(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    file.write("version: 1\ndn: cn=Long Line\ncn: Long Line\nsn: Line\njpegPhoto:: ");
    const QByteArray block = QByteArray(3 * 1024 * 1024, 'v').toBase64();
    for (qint64 written = 0; written < 50LL * 1024 * 1024; written += block.size())
        file.write(block);
    file.write("\n\n");
    return path;
}

long peakKilobytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

int runOne(const QString &folder, const QString &kind)
{
    DevLog::setConsoleEnabled(false);
    BenchScratch scratch(folder, kind);
    const bool csv = kind == QLatin1String("csv");
    const bool longLine = kind == QLatin1String("ldif-long-line");
    const QString path = csv        ? generateCsv(folder + QStringLiteral("/bench.csv"))
                         : longLine ? generateLongLine(folder + QStringLiteral("/long-line.ldif"))
                                    : generateLdif(folder + QStringLiteral("/bench.ldif"));
    const int expected = longLine ? 1 : kCount;
    const long beforeKB = peakKilobytes();
    const uint32_t mask = AppData::sharedInstance().importMask();
    BenchTimer timer(csv        ? QStringLiteral("import %1 CSV rows").arg(kCount)
                     : longLine ? QStringLiteral("import an LDIF entry with one 50 MB line")
                                : QStringLiteral("import %1 LDIF entries").arg(kCount));
    int result = -1;
    if (csv) {
        Result<std::shared_ptr<CSVimport>> importer = CSVimport::fromFile(path, 0);
        if (importer && (*importer)->areAllFieldsAssigned())
            result = (*importer)->importWithTagert(nullptr, mask);
    } else {
        result = ldif_import(path, mask, 0, nullptr);
    }
    timer.report(result, fileSize(path));
    std::printf("   peak memory of the %s import process: %ld MB (%ld MB before the import)\n", qPrintable(kind),
                peakKilobytes() / 1024, beforeKB / 1024);
    return result == expected ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::tempPath() + QStringLiteral("/csvldif_bench");
    QDir().mkpath(folder);
    if (argc > 2)
        return runOne(folder, QString::fromLatin1(argv[2]));
    int failures = 0;
    for (const QString &kind : {QStringLiteral("csv"), QStringLiteral("ldif"), QStringLiteral("ldif-long-line")}) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(QCoreApplication::applicationFilePath(), {folder, kind});
        child.waitForFinished(-1);
        failures += child.exitCode() != 0 || child.exitStatus() != QProcess::NormalExit;
    }
    return failures;
}
