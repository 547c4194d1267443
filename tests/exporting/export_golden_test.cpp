// The HTML, text and CSV writers byte for byte, on one fixed address book, in both character
// sets; and the CSV read back by an outside reader (Python's csv module).
// VENNARO_REGENERATE=1 writes the expected files instead of comparing (check them by hand).

#include "support/ExportFixture.h"
#include "support/TestEnvironment.h"

#include "exporting/ExportEngine.h"
#include "platform/DeviceFacts.h"
#include "shell/Documents.h"

#include <QFile>
#include <QProcess>
#include <QtTest>

#include <ctime>

class ExportGoldenTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void goldenFiles_data();
    void goldenFiles();
    void csvReadsBackInPython_data();
    void csvReadsBackInPython();

private:
    QByteArray exportFixture(int format, int charSet, int layout = 0);
};

void ExportGoldenTest::initTestCase()
{
    // Dates are written in the local time zone.
    qputenv("TZ", "Europe/Lisbon");
    tzset();
}

QByteArray ExportGoldenTest::exportFixture(int format, int charSet, int layout)
{
    TestEnvironment environment;
    ABAddressBookRef book = environment.open();
    ExportRequest request;
    request.people = ExportFixture::build(*book);
    book.reset();
    request.path = Documents::filePath(QStringLiteral("golden.out"));
    request.format = format;
    request.charSet = charSet;
    request.layout = layout;
    const int answer = exportData(request);
    // Six selected rows, one of them vanished, one without any name.
    if (answer != 6)
        qWarning("exportData answered %d", answer);
    QFile file(request.path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

void ExportGoldenTest::goldenFiles_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<int>("charSet");
    QTest::addColumn<int>("layout");
    QTest::addColumn<QString>("expected");
    QTest::newRow("txt utf-8") << int(ExportFormat::TXT) << 0 << 0 << QStringLiteral("fixture-utf8.txt");
    QTest::newRow("txt iso-8859-1") << int(ExportFormat::TXT) << 1 << 0 << QStringLiteral("fixture-latin1.txt");
    QTest::newRow("html utf-8") << int(ExportFormat::HTML) << 0 << 0 << QStringLiteral("fixture-utf8.html");
    QTest::newRow("html iso-8859-1") << int(ExportFormat::HTML) << 1 << 0 << QStringLiteral("fixture-latin1.html");
    QTest::newRow("html print layout") << int(ExportFormat::HTML) << 0 << int(ExportFormat::PrintLayout)
                                       << QStringLiteral("fixture-print.html");
    QTest::newRow("csv utf-8") << int(ExportFormat::CSV) << 0 << 0 << QStringLiteral("fixture-utf8.csv");
    QTest::newRow("csv iso-8859-1") << int(ExportFormat::CSV) << 1 << 0 << QStringLiteral("fixture-latin1.csv");
}

void ExportGoldenTest::goldenFiles()
{
    QFETCH(int, format);
    QFETCH(int, charSet);
    QFETCH(int, layout);
    QFETCH(QString, expected);
    QByteArray actual = exportFixture(format, charSet, layout);
    // The page title names this machine's model; the expected files hold a marker instead.
    const QByteArray model = DeviceFacts::model().toUtf8();
    actual.replace("<title>" + model + " Address Book", "<title>@MODEL@ Address Book");

    const QString path = TestEnvironment::dataPath(QStringLiteral("export/") + expected);
    if (qEnvironmentVariableIsSet("VENNARO_REGENERATE")) {
        QFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(actual);
        QSKIP("expected file written");
    }
    QFile file(path);
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(path));
    const QByteArray wanted = file.readAll();
    if (actual != wanted) {
        const QList<QByteArray> a = actual.split('\n');
        const QList<QByteArray> w = wanted.split('\n');
        for (qsizetype i = 0; i < std::max(a.size(), w.size()); ++i) {
            const QByteArray left = i < a.size() ? a[i] : QByteArray("<end>");
            const QByteArray right = i < w.size() ? w[i] : QByteArray("<end>");
            if (left != right)
                QFAIL(qPrintable(QStringLiteral("line %1:\n  got      %2\n  expected %3")
                                     .arg(i + 1)
                                     .arg(QString::fromLatin1(left), QString::fromLatin1(right))));
        }
    }
}

void ExportGoldenTest::csvReadsBackInPython_data()
{
    QTest::addColumn<int>("charSet");
    QTest::newRow("utf-8") << 0;
    QTest::newRow("iso-8859-1") << 1;
}

void ExportGoldenTest::csvReadsBackInPython()
{
    QFETCH(int, charSet);
    TestEnvironment environment;
    QFile csv(environment.path(QStringLiteral("people.csv")));
    QVERIFY(csv.open(QIODevice::WriteOnly));
    csv.write(exportFixture(ExportFormat::CSV, charSet));
    csv.close();
    const QString script = QStringLiteral(
        "import csv, sys\n"
        "rows = list(csv.reader(open(sys.argv[1], newline='', encoding=sys.argv[2]), strict=True))\n"
        "print(len(rows), sorted(set(len(r) for r in rows)))\n"
        "print(rows[1][rows[0].index('title')])\n"
        "print(rows[1][rows[0].index('note')])\n");
    QProcess python;
    python.start(QStringLiteral("python3"), {QStringLiteral("-c"), script, csv.fileName(),
                                             charSet == 0 ? QStringLiteral("utf-8") : QStringLiteral("latin-1")});
    QVERIFY(python.waitForFinished(30000));
    QCOMPARE(python.exitCode(), 0);
    const QStringList lines = QString::fromUtf8(python.readAllStandardOutput()).split(QLatin1Char('\n'));
    // Header and four records, every row as wide as the header.
    QVERIFY2(lines.value(0).startsWith(QStringLiteral("5 [")) && !lines.value(0).contains(QLatin1Char(',')), qPrintable(lines.value(0)));
    QCOMPARE(lines.value(1), QStringLiteral("Chief \"Fun\" Officer"));
    QCOMPARE(lines.value(2), QStringLiteral("Line one \"quoted\" Line two <b>bold</b> & more"));
}

QTEST_MAIN(ExportGoldenTest)
#include "export_golden_test.moc"
