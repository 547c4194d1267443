#include "formats/wincontact/WinContactDocument.h"
#include "formats/wincontact/WinContactWriter.h"
#include "formats/wincontact/ZipArchive.h"
#include "formats/wincontact/ZipPackaging.h"

#include "support/GoldenFile.h"
#include "support/RecordingProgress.h"
#include "support/SampleContacts.h"
#include "support/FileSizeLimit.h"
#include "support/TestEnvironment.h"

#include "shell/AppData.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

namespace {

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// GUIDs and the creation time differ on every run: number the GUIDs in order of appearance
// (checking that none repeats) and fix the time.
QByteArray normalised(const QByteArray &xml, QString *problem)
{
    static const QRegularExpression guid(QStringLiteral("[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}"));
    static const QRegularExpression created(QStringLiteral("<c:CreationDate>\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\dZ<"));
    QString text = QString::fromLatin1(xml);
    QSet<QString> seen;
    QString out;
    qsizetype at = 0;
    for (const QRegularExpressionMatch &match : guid.globalMatch(text)) {
        if (seen.contains(match.captured()))
            *problem = QStringLiteral("GUID repeated: ") + match.captured();
        seen.insert(match.captured());
        out += text.mid(at, match.capturedStart() - at) + QStringLiteral("GUID-%1").arg(seen.size());
        at = match.capturedEnd();
    }
    out += text.mid(at);
    if (!out.contains(created))
        *problem = QStringLiteral("no creation date");
    out.replace(created, QStringLiteral("<c:CreationDate>2000-01-01T00:00:00Z<"));
    return out.toLatin1();
}

int run(const QString &program, const QStringList &arguments, QString *output = nullptr)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(60000);
    if (output)
        *output = QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError());
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

} // namespace

class WinContactTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void filesMatchGolden_data()
    {
        QTest::addColumn<int>("charSet");
        QTest::addColumn<QString>("suffix");
        QTest::newRow("UTF-8") << 0 << QString();
        QTest::newRow("ISO-8859-1") << 1 << QStringLiteral("_latin1");
    }

    void filesMatchGolden()
    {
        QFETCH(int, charSet);
        QFETCH(QString, suffix);
        TestEnvironment env;
        EntryList rows = SampleContacts::fill(*env.open());
        const QString folder = env.documents() + QStringLiteral("/win");
        QDir().mkpath(folder);
        RecordingProgress progress;
        // The person without any name has no file, and the answer counts files only.
        QCOMPARE(WinContactWriter::exportDataWin(folder, rows, FieldFilter::Default, charSet, &progress), 3);
        QCOMPARE(progress.values, (QList<double>{0.25, 0.5, 0.75, 1.0}));
        const QStringList files = QDir(folder).entryList(QDir::Files, QDir::Name);
        QCOMPARE(files, (QStringList{QStringLiteral("AC-DC Fãs.contact"), QStringLiteral("Dr. Ana Sofia Marques.contact"),
                                     QStringLiteral("Žofia Novák.contact")}));
        for (qsizetype i = 0; i < files.size(); ++i) {
            const QString &name = files[i];
            QString problem;
            const QByteArray xml = normalised(readFile(folder + QLatin1Char('/') + name), &problem);
            QVERIFY2(problem.isEmpty(), qPrintable(problem));
            const QString golden = QStringLiteral("wincontact/sample_%1%2.contact").arg(i + 1).arg(suffix);
            const QString difference = GoldenFile::compare(xml, golden);
            QVERIFY2(difference.isEmpty(), qPrintable(difference));
            QString output;
            QCOMPARE(run(QStringLiteral("xmllint"), {QStringLiteral("--noout"), folder + QLatin1Char('/') + name}, &output), 0);
            QVERIFY2(output.isEmpty(), qPrintable(output));
        }
    }

    void birthdayWhateverTheDatesBit()
    {
        TestEnvironment env;
        EntryList rows = SampleContacts::fill(*env.open());
        const QString folder = env.documents() + QStringLiteral("/nodates");
        QDir().mkpath(folder);
        QCOMPARE(WinContactWriter::exportDataWin(folder, rows.mid(0, 1), FieldFilter::Phone, 0, nullptr), 1);
        const QByteArray xml = readFile(folder + QStringLiteral("/Dr. Ana Sofia Marques.contact"));
        QVERIFY(xml.contains("<c:Value>1980-05-17T00:00:00Z</c:Value>"));
        QVERIFY(xml.contains("<c:PhoneNumberCollection>"));
        QVERIFY(!xml.contains("<c:EmailAddressCollection>"));
        QVERIFY(!xml.contains("<c:PhotoCollection>"));
    }

    void sameNamesGetTheirOwnFiles()
    {
        TestEnvironment env;
        ABAddressBookRef book = env.open();
        EntryList rows;
        for (int i = 0; i < 2; ++i) {
            ABRecordRef person = ABRecord::createPerson();
            person->setValue(kABPersonLastNameProperty, QStringLiteral("Twin"));
            person->setValue(kABPersonNoteProperty, QStringLiteral("number %1").arg(i));
            book->addRecord(person);
            book->save();
            auto row = std::make_shared<EntryData>();
            row->recID = person->recordID();
            rows.append(row);
        }
        const QString folder = env.documents() + QStringLiteral("/twins");
        QDir().mkpath(folder);
        QCOMPARE(WinContactWriter::exportDataWin(folder, rows, FieldFilter::Default, 0, nullptr), 2);
        QVERIFY(readFile(folder + QStringLiteral("/Twin.contact")).contains("number 0"));
        QVERIFY(readFile(folder + QStringLiteral("/Twin_.contact")).contains("number 1"));
    }

    void escaping()
    {
        QCOMPARE(WinContactDocument::escaped(QStringLiteral("a&b<c>d\"e\x01\tf")), QStringLiteral("a&amp;b&lt;c&gt;d\"e\tf"));
        const QByteArray guid = WinContactDocument::getGUIDString();
        QVERIFY(QRegularExpression(QStringLiteral("^[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}$"))
                    .match(QString::fromLatin1(guid))
                    .hasMatch());
    }

    void zipHoldsTheFolder()
    {
        TestEnvironment env;
        const QString folder = env.documents() + QStringLiteral("/x");
        QDir().mkpath(folder + QStringLiteral("/sub"));
        for (const QString &name : {QStringLiteral("a.contact"), QStringLiteral("b.contact"), QStringLiteral("Žofia.vcf")}) {
            QFile file(folder + QLatin1Char('/') + name);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(QByteArray(5000, 'z') + name.toUtf8());
        }
        QCOMPARE(ZipPackaging::zipFolder(folder, QStringLiteral("x"), env.documents() + QStringLiteral("/x.zip")), 0);
        const QString zip = env.documents() + QStringLiteral("/x.zip");
        QString output;
        QCOMPARE(run(QStringLiteral("unzip"), {QStringLiteral("-t"), zip}, &output), 0);
        QVERIFY2(output.contains(QStringLiteral("No errors detected")), qPrintable(output));
        QCOMPARE(run(QStringLiteral("unzip"), {QStringLiteral("-Z1"), zip}, &output), 0);
        QCOMPARE(output.split(QLatin1Char('\n'), Qt::SkipEmptyParts),
                 (QStringList{QStringLiteral("x/a.contact"), QStringLiteral("x/b.contact"), QStringLiteral("x/Žofia.vcf")}));
        // Entries carry the files' dates, and the contents come back whole.
        QCOMPARE(run(QStringLiteral("unzip"), {QStringLiteral("-p"), zip, QStringLiteral("x/b.contact")}, &output), 0);
        QCOMPARE(output, QString(5000, QLatin1Char('z')) + QStringLiteral("b.contact"));
        QCOMPARE(run(QStringLiteral("unzip"), {QStringLiteral("-Z"), QStringLiteral("-T"), zip}, &output), 0);
        QVERIFY2(output.contains(QDate::currentDate().toString(QStringLiteral("yyyyMMdd"))), qPrintable(output));
    }

    // Past 65,535 entries the archive needs the zip64 end records, or unzip refuses it.
    void zipOfManyEntries()
    {
        TestEnvironment env;
        const QString folder = env.path(QStringLiteral("many"));
        QDir().mkpath(folder);
        constexpr int kEntries = 65600;
        for (int i = 0; i < kEntries; ++i) {
            QFile file(folder + QStringLiteral("/%1.vcf").arg(i));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(QByteArray::number(i));
        }
        const QString zip = env.documents() + QStringLiteral("/many.zip");
        QCOMPARE(ZipPackaging::zipFolder(folder, QStringLiteral("m"), zip), 0);
        QString output;
        QCOMPARE(run(QStringLiteral("unzip"), {QStringLiteral("-Z1"), zip}, &output), 0);
        QCOMPARE(output.count(QLatin1Char('\n')), kEntries);
        QCOMPARE(run(QStringLiteral("unzip"), {QStringLiteral("-p"), zip, QStringLiteral("m/65599.vcf")}, &output), 0);
        QCOMPARE(output, QStringLiteral("65599"));
    }

    void zipFailures()
    {
        TestEnvironment env;
        QCOMPARE(ZipPackaging::zipFolder(env.documents(), QStringLiteral("x"), env.documents() + QStringLiteral("/missing/x.zip")), -1);
        ZipArchive archive;
        QVERIFY(!archive.addFileToZip(env.path(QStringLiteral("none")), QStringLiteral("none")));
        QVERIFY(archive.CreateZipFile2(env.documents() + QStringLiteral("/y.zip")));
        QVERIFY(!archive.addFileToZip(env.path(QStringLiteral("none")), QStringLiteral("none")));
        // Nothing is at the path before the archive is finished.
        QVERIFY(!QFileInfo::exists(env.documents() + QStringLiteral("/y.zip")));
        QVERIFY(archive.CloseZipFile2());
        // Nothing but the end record of an empty archive.
        QCOMPARE(QFileInfo(env.documents() + QStringLiteral("/y.zip")).size(), 22);
    }

    void failedZipKeepsTheEarlierArchive()
    {
        TestEnvironment env;
        const QString folder = env.path(QStringLiteral("x"));
        QDir().mkpath(folder);
        QFile big(folder + QStringLiteral("/a.contact"));
        QVERIFY(big.open(QIODevice::WriteOnly));
        QRandomGenerator noise(42);
        for (int i = 0; i < 300 * 1024 / 4; ++i) {
            const quint32 word = noise.generate();
            big.write(reinterpret_cast<const char *>(&word), sizeof word);
        }
        big.close();
        const QString zip = env.documents() + QStringLiteral("/x.zip");
        QFile earlier(zip);
        QVERIFY(earlier.open(QIODevice::WriteOnly));
        earlier.write("earlier archive");
        earlier.close();
        {
            FileSizeLimit full(64 * 1024);
            QCOMPARE(ZipPackaging::zipFolder(folder, QStringLiteral("x"), zip), -1);
        }
        QCOMPARE(readFile(zip), QByteArray("earlier archive"));
        QCOMPARE(QDir(env.documents()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("x.zip")});
    }

    void entryNamesAreSafe()
    {
        TestEnvironment env;
        const QString folder = env.path(QStringLiteral("x"));
        QDir().mkpath(folder);
        QFile file(folder + QStringLiteral("/..a\\b:c.vcf"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("card");
        file.close();
        const QString zip = env.documents() + QStringLiteral("/x.zip");
        QCOMPARE(ZipPackaging::zipFolder(folder, QStringLiteral("..\\up"), zip), 0);
        QString output;
        QCOMPARE(run(QStringLiteral("unzip"), {QStringLiteral("-Z1"), zip}, &output), 0);
        QCOMPARE(output.split(QLatin1Char('\n'), Qt::SkipEmptyParts), QStringList{QStringLiteral("---up/--a-b-c.vcf")});
    }
};

QTEST_GUILESS_MAIN(WinContactTest)
#include "wincontact_test.moc"
