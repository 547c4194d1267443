// The export engine's rules that golden files alone do not pin down: Base64, CSV column
// padding, vanished rows and progress from a worker thread, files that cannot be created,
// the export log, and the command line.

#include "support/ExportFixture.h"
#include "support/TestEnvironment.h"

#include "exporting/ExportEngine.h"
#include "formats/common/TextConversion.h"
#include "shell/AppData.h"
#include "shell/Documents.h"
#include "shell/FLog.h"

#include <QFile>
#include <QThread>
#include <QtTest>

namespace {

ABRecordRef addPerson(ABAddressBook &book, const QString &first, const QString &last, const QStringList &phones = {})
{
    ABRecordRef person = ABRecord::createPerson(book.copyDefaultSource());
    if (!first.isEmpty())
        person->setValue(kABPersonFirstNameProperty, first);
    person->setValue(kABPersonLastNameProperty, last);
    ABMultiValue numbers(kABMultiStringPropertyType);
    for (const QString &phone : phones)
        numbers.addValueAndLabel(phone, kABPersonPhoneMobileLabel);
    if (!phones.isEmpty())
        person->setValue(kABPersonPhoneProperty, QVariant::fromValue(numbers));
    book.addRecord(person);
    return person;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class RecordingProgress : public ProgressTarget {
public:
    void setProgress(double value) override
    {
        onMainThread = onMainThread && QThread::currentThread() == qApp->thread();
        values.append(value);
    }
    QList<double> values;
    bool onMainThread = true;
};

} // namespace

class ExportEngineTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void base64_data();
    void base64();
    void base64LineBreaksAndSmallBuffer();
    void conversionNeverReplacesCharacters();
    void csvPadsEveryRowToTheHeader();
    void vanishedRowIsCountedAndProgressRunsOnMainThread();
    void fileThatCannotBeCreated();
    void formatWithoutPrinters();
    void exportLog();
    void longSelectionOnTwoThreadsAsOnOne_data();
    void longSelectionOnTwoThreadsAsOnOne();
    void commandLine();
};

void ExportEngineTest::base64_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("one byte") << QByteArray("f") << QByteArray("Zg==");
    QTest::newRow("two bytes") << QByteArray("fo") << QByteArray("Zm8=");
    QTest::newRow("three bytes") << QByteArray("foo") << QByteArray("Zm9v");
    QTest::newRow("high bytes") << QByteArray("\xff\xfe\xfd\xfc", 4) << QByteArray("//79/A==");
    QTest::newRow("empty") << QByteArray() << QByteArray();
}

void ExportEngineTest::base64()
{
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, expected);
    char output[32];
    QCOMPARE(TextConversion::base64encode(reinterpret_cast<const unsigned char *>(input.constData()), size_t(input.size()),
                                          output, sizeof output, 0),
             0);
    QCOMPARE(QByteArray(output), expected);
    QCOMPARE(TextConversion::base64(input), expected);
}

void ExportEngineTest::base64LineBreaksAndSmallBuffer()
{
    const QByteArray input("foobarfoobar");
    QCOMPARE(TextConversion::base64(input, 4), QByteArray("Zm9v\r\nYmFy\r\nZm9v\r\nYmFy"));
    QCOMPARE(TextConversion::base64(input, 6), QByteArray("Zm9vYm\r\nFyZm9v\r\nYmFy"));
    const auto *bytes = reinterpret_cast<const unsigned char *>(input.constData());
    char output[32];
    // 16 characters and the terminating zero need 17 bytes.
    QCOMPARE(TextConversion::base64encode(bytes, size_t(input.size()), output, 16, 0), -1);
    QCOMPARE(TextConversion::base64encode(bytes, size_t(input.size()), output, 17, 0), 0);
    QCOMPARE(TextConversion::base64encode(bytes, size_t(input.size()), output, 22, 4), -1);
    QCOMPARE(TextConversion::base64encode(bytes, size_t(input.size()), output, 23, 4), 0);
}

void ExportEngineTest::conversionNeverReplacesCharacters()
{
    QCOMPARE(TextConversion::toISOLatin1andRelease(QStringLiteral("Zoë")), std::optional<QByteArray>(QByteArray("Zo\xeb")));
    QCOMPARE(TextConversion::toISOLatin1andRelease(QStringLiteral("Łukasz")), std::nullopt);
    QCOMPARE(TextConversion::toUTF8andRelease(QString()), std::nullopt);
    QCOMPARE(TextConversion::toUTF8andRelease(QStringLiteral("")), std::nullopt);
    QCOMPARE(TextConversion::convert(QStringLiteral("Łukasz"), 0), std::optional<QByteArray>(QStringLiteral("Łukasz").toUtf8()));
}

void ExportEngineTest::csvPadsEveryRowToTheHeader()
{
    TestEnvironment environment;
    ABAddressBookRef book = environment.open();
    ABRecordRef three = addPerson(*book, QStringLiteral("Tri"), QStringLiteral("Phones"), {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")});
    ABRecordRef one = addPerson(*book, QString(), QStringLiteral("Single"), {QStringLiteral("9")});
    one->setValue(kABPersonJobTitleProperty, QStringLiteral("The \"Boss\""));
    QVERIFY(book->save());
    ExportRequest request;
    request.path = Documents::filePath(QStringLiteral("pad.csv"));
    request.people = ExportFixture::rowsOf({three, one});
    request.format = ExportFormat::CSV;
    request.mask = FieldFilter::Phone;
    book.reset();
    QCOMPARE(exportData(request), 2);
    QCOMPARE(readFile(request.path), QByteArray("firstname,middlename,lastname,phone,phone,phone,organization,department,title,nickname\n"
                                                "\"Tri\",,\"Phones\",\"1\",\"2\",\"3\",,,,\n"
                                                ",,\"Single\",\"9\",,,,,\"The \"\"Boss\"\"\",\n"));
}

void ExportEngineTest::vanishedRowIsCountedAndProgressRunsOnMainThread()
{
    TestEnvironment environment;
    ABAddressBookRef book = environment.open();
    ABRecordRef first = addPerson(*book, QStringLiteral("First"), QStringLiteral("One"));
    ABRecordRef gone = addPerson(*book, QStringLiteral("Gone"), QStringLiteral("Two"));
    ABRecordRef last = addPerson(*book, QStringLiteral("Last"), QStringLiteral("Three"));
    QVERIFY(book->save());
    ExportRequest request;
    request.path = Documents::filePath(QStringLiteral("three.txt"));
    request.people = ExportFixture::rowsOf({first, gone, last});
    request.format = ExportFormat::TXT;
    QVERIFY(book->removeRecord(gone));
    QVERIFY(book->save());
    book.reset();

    RecordingProgress progress;
    request.progress = &progress;
    int answer = 0;
    QThread *worker = QThread::create([&] { answer = exportData(request); });
    worker->start();
    QTRY_VERIFY_WITH_TIMEOUT(worker->isFinished(), 20000);
    delete worker;
    QCOMPARE(answer, 3);
    QVERIFY(progress.onMainThread);
    QCOMPARE(progress.values.size(), 2);
    QCOMPARE(progress.values.last(), 2.0 / 3.0);
    const QByteArray text = readFile(request.path);
    QVERIFY(text.startsWith("3 records\n\n====="));
    QCOMPARE(text.count("=============================================\n"), 2);
    QVERIFY(!text.contains("Gone"));
}

void ExportEngineTest::fileThatCannotBeCreated()
{
    TestEnvironment environment;
    ABAddressBookRef book = environment.open();
    ABRecordRef person = addPerson(*book, QStringLiteral("Ana"), QStringLiteral("Sousa"));
    QVERIFY(book->save());
    book.reset();
    ExportRequest request;
    request.people = ExportFixture::rowsOf({person});
    request.format = ExportFormat::HTML;
    request.path = environment.path(QStringLiteral("missing-folder/out.html"));
    QCOMPARE(exportData(request), -1);
    QVERIFY(!QFile::exists(request.path));

    // A file that cannot be replaced (a folder has the name) stays as it was.
    request.path = environment.path(QStringLiteral("taken"));
    QVERIFY(QDir().mkpath(request.path + QStringLiteral("/inside")));
    QCOMPARE(exportData(request), -1);
    QVERIFY(QFileInfo(request.path).isDir());
    QVERIFY(QDir(request.path + QStringLiteral("/inside")).exists());
}

void ExportEngineTest::formatWithoutPrinters()
{
    TestEnvironment environment;
    ExportRequest request;
    request.path = Documents::filePath(QStringLiteral("two.out"));
    request.format = 2;
    QCOMPARE(exportData(request), -1);
    QVERIFY(!QFile::exists(request.path));
}

void ExportEngineTest::exportLog()
{
    TestEnvironment environment;
    ABAddressBookRef book = environment.open();
    ABRecordRef a = addPerson(*book, QStringLiteral("Ana"), QStringLiteral("Sousa"), {QStringLiteral("1")});
    ABRecordRef b = addPerson(*book, QStringLiteral("Bea"), QStringLiteral("Reis"), {QStringLiteral("2"), QStringLiteral("3")});
    QVERIFY(book->save());
    book.reset();
    FLog::sharedInstance().start();
    AppData::sharedInstance().setLogEnabled(1);
    ExportRequest request;
    request.path = Documents::filePath(QStringLiteral("log.csv"));
    request.people = ExportFixture::rowsOf({a, b});
    request.format = ExportFormat::CSV;
    request.mask = FieldFilter::Default;
    QCOMPARE(exportData(request), 2);
    AppData::sharedInstance().setLogEnabled(0);
    const QByteArray log = readFile(FLog::sharedInstance().path());
    QVERIFY2(log.contains(" Export - mode: CSV mask: FFFE recs: 2 delete: NO\n"), log.constData());
    // Counting pass and writing pass each look at the phones.
    QCOMPARE(log.count("  PHONES 1\n"), 2);
    QCOMPARE(log.count("  PHONES 2\n"), 2);
    QCOMPARE(log.count(" Record: "), 2);
}

void ExportEngineTest::longSelectionOnTwoThreadsAsOnOne_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<int>("layout");
    QTest::newRow("CSV") << int(ExportFormat::CSV) << 0;
    QTest::newRow("LDIF") << int(ExportFormat::LDIF) << 0;
    QTest::newRow("HTML") << int(ExportFormat::HTML) << 0;
    QTest::newRow("TXT") << int(ExportFormat::TXT) << 0;
}

// Without the log a long selection is written by slices on two threads; with it, person after
// person on one. Both files must be the same, byte for byte: the fixture's people (a photo,
// groups, a deleted person) many times over in a changing order, so that slices cut anywhere.
void ExportEngineTest::longSelectionOnTwoThreadsAsOnOne()
{
    QFETCH(int, format);
    QFETCH(int, layout);
    TestEnvironment environment;
    const EntryList fixture = ExportFixture::build(*environment.open());
    QList<ABRecordID> ids;
    for (int i = 0; i < 2500; ++i)
        ids.append(fixture[(i * 7 + i / 13) % fixture.size()]->recID);
    ExportRequest request;
    request.people = SelectedPeople(ids);
    request.format = format;
    request.layout = layout;
    request.mask = FieldFilter::Default;
    FLog::sharedInstance().start();
    QByteArray written[2];
    RecordingProgress progress[2];
    for (int logged : {0, 1}) {
        AppData::sharedInstance().setLogEnabled(logged);
        request.path = Documents::filePath(QStringLiteral("long-%1.out").arg(logged));
        request.progress = &progress[logged];
        QCOMPARE(exportData(request), 2500);
        written[logged] = readFile(request.path);
    }
    AppData::sharedInstance().setLogEnabled(0);
    QVERIFY(written[0].size() > 100000);
    QVERIFY(written[0] == written[1]);
    QCOMPARE(progress[0].values, progress[1].values);
}

void ExportEngineTest::commandLine()
{
    TestEnvironment environment;
    ABAddressBookRef book = environment.open();
    ABRecordRef zoe = addPerson(*book, QStringLiteral("Zoë"), QStringLiteral("Alves"));
    addPerson(*book, QStringLiteral("Bruno"), QStringLiteral("Costa"));
    addPerson(*book, QStringLiteral("Ana"), QStringLiteral("Alves"));
    QVERIFY(book->save());
    book.reset();
    QString out;
    QString err;
    QCOMPARE(environment.runProgram({QStringLiteral("export"), QStringLiteral("--format"), QStringLiteral("csv"),
                                     QStringLiteral("--name"), QStringLiteral("mine"), QStringLiteral("--ids"),
                                     QString::number(zoe->recordID()), QStringLiteral("--charset"), QStringLiteral("iso-8859-1")},
                                    &out, &err),
             0);
    QCOMPARE(out, QStringLiteral("1 record exported to file: mine.csv\n"));
    QVERIFY(readFile(Documents::filePath(QStringLiteral("mine.csv"))).contains("\"Zo\xeb\""));

    // Default rows: the working set in list order, as `vennaro list` shows it.
    QCOMPARE(environment.runProgram({QStringLiteral("export"), QStringLiteral("--format"), QStringLiteral("txt"),
                                     QStringLiteral("--name"), QStringLiteral("all"), QStringLiteral("--mask"), QStringLiteral("0")},
                                    &out, &err),
             0);
    QCOMPARE(out, QStringLiteral("3 records exported to file: all.txt\n"));
    const QByteArray text = readFile(Documents::filePath(QStringLiteral("all.txt")));
    QVERIFY(text.indexOf("Ana Alves") < text.indexOf("Zoë Alves"));
    QVERIFY(text.indexOf("Zoë Alves") < text.indexOf("Bruno Costa"));
    QVERIFY(!text.contains("Phone"));

    QCOMPARE(environment.runProgram({QStringLiteral("export"), QStringLiteral("--format"), QStringLiteral("pdf"),
                                     QStringLiteral("--name"), QStringLiteral("x")},
                                    &out, &err),
             1);
    QVERIFY(err.contains(QStringLiteral("--format")));
    QCOMPARE(environment.runProgram({QStringLiteral("export"), QStringLiteral("--format"), QStringLiteral("txt"),
                                     QStringLiteral("--name"), QStringLiteral("x"), QStringLiteral("--ids"), QStringLiteral("4242")},
                                    &out, &err),
             1);
    QVERIFY(err.contains(QStringLiteral("4242")));
    QVERIFY(!QFile::exists(Documents::filePath(QStringLiteral("x.txt"))));
}

QTEST_MAIN(ExportEngineTest)
#include "export_engine_test.moc"
