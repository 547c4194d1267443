// The number rewriting pass over a real address book: the report byte for byte, Preview
// against Commit, a failed save, and numbers beyond the capacities.

#include "support/GoldenFile.h"
#include "support/PhonePeople.h"
#include "support/TestEnvironment.h"

#include "addressbook/ABConnection.h"
#include "numbers/ChangeRule.h"
#include "numbers/FormatMasks.h"
#include "numbers/NumberPass.h"
#include "platform/DevLog.h"

#include <QFile>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

void addPeople(ABAddressBook &book, const QList<PhonePeople::Person> &people)
{
    QVERIFY(PhonePeople::add(book, people));
}

// A small book: a person with two numbers the rule "@12" (Replace by 34) changes, a name that
// is HTML, a person without numbers, one without a name, and numbers the rule leaves alone.
void fillSmallBook(ABAddressBook &book)
{
    addPeople(book, {{u"Ann"_s, u"Smith"_s, {u"(55) 12"_s, u"5512"_s, u"999"_s}},
                     {u"Tom"_s, u"& <b>Jerry</b>"_s, {u"+1 \"7\" 12"_s}},
                     {u"No"_s, u"Phones"_s, {}},
                     {QString(), QString(), {u"0"_s, u"712"_s}},
                     {u"Zoe"_s, u"Unchanged"_s, {u"120"_s}}});
}

QStringList storedNumbers(const TestEnvironment &env)
{
    return PhonePeople::storedNumbers(*env.open());
}

struct Run {
    NumberPass::Outcome outcome;
    QStringList changed; // "name: stored -> result"
    QByteArray report;
    QList<double> progress;
};

Run runPass(const TestEnvironment &env, const NumberTransform &transform, bool commit, bool showAll)
{
    Run run;
    NumberPass::Request request;
    request.transform = &transform;
    request.commit = commit;
    request.showAll = showAll;
    request.reportPath = env.documents() + u"/preview.html"_s;
    request.progress = [&run](double value) { run.progress.append(value); };
    request.changed = [&run](const QString &name, const QString &stored, const QByteArray &result) {
        run.changed.append(name + u": "_s + stored + u" -> "_s + QString::fromUtf8(result));
    };
    run.outcome = NumberPass::run(request);
    QFile report(request.reportPath);
    if (report.open(QIODevice::ReadOnly))
        run.report = report.readAll();
    return run;
}

const ChangeRule kReplace12{u"@12"_s, u"34"_s, ChangeRule::Replace, false};

} // namespace

class NumberPassTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void reportMatchesGoldenFile_data();
    void reportMatchesGoldenFile();
    void noChangeReport();
    void previewChangesNothingAndCommitChangesWhatPreviewListed();
    void failedSaveChangesNothing();
    void capacitiesPassNumbersOver();
    void formatMasksLeaveFormattedNumbersAlone();
    void missingAddressBookLeavesOnlyTheHead();
};

void NumberPassTest::reportMatchesGoldenFile_data()
{
    QTest::addColumn<bool>("showAll");
    QTest::addColumn<QString>("golden");
    QTest::newRow("changed only") << false << u"numbers/preview-changed.html"_s;
    QTest::newRow("show all") << true << u"numbers/preview-show-all.html"_s;
}

void NumberPassTest::reportMatchesGoldenFile()
{
    QFETCH(bool, showAll);
    QFETCH(QString, golden);
    TestEnvironment env;
    fillSmallBook(*env.open());
    const Run run = runPass(env, *kReplace12.transform(), false, showAll);
    QCOMPARE(int(run.outcome.failure), int(NumberPass::Outcome::Failure::None));
    QCOMPARE(run.outcome.people, 5);
    QCOMPARE(run.outcome.changedNumbers, 4);
    const QString difference = GoldenFile::compare(run.report, golden);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
    QCOMPARE(run.progress.last(), 1.0);
    QCOMPARE(run.progress.at(run.progress.size() - 2), 0.95);
}

void NumberPassTest::noChangeReport()
{
    TestEnvironment env;
    fillSmallBook(*env.open());
    const ChangeRule nothing{u"@777"_s, u"1"_s, ChangeRule::Replace, false};
    const Run run = runPass(env, *nothing.transform(), false, false);
    QCOMPARE(run.outcome.changedNumbers, 0);
    const QString difference = GoldenFile::compare(run.report, u"numbers/preview-no-change.html"_s);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

void NumberPassTest::previewChangesNothingAndCommitChangesWhatPreviewListed()
{
    TestEnvironment env;
    fillSmallBook(*env.open());
    const QStringList before = storedNumbers(env);
    const Run preview = runPass(env, *kReplace12.transform(), false, false);
    QCOMPARE(storedNumbers(env), before);

    const Run commit = runPass(env, *kReplace12.transform(), true, false);
    QCOMPARE(int(commit.outcome.failure), int(NumberPass::Outcome::Failure::None));
    QCOMPARE(commit.changed, preview.changed);
    QCOMPARE(commit.report, preview.report);
    const QStringList expected{u"5534"_s, u"5534"_s, u"999"_s, u"+1734"_s, u"0"_s, u"734"_s, u"120"_s};
    QCOMPARE(storedNumbers(env), expected);
    // The labels stay with their numbers.
    ABAddressBookRef book = env.open();
    const ABMultiValue phones = book->copyArrayOfAllPeople().first()->copyMultiValue(kABPersonPhoneProperty);
    QCOMPARE(phones.copyLabelAtIndex(1), std::optional<QString>(kABPersonPhoneMobileLabel));
}

void NumberPassTest::failedSaveChangesNothing()
{
    TestEnvironment env;
    fillSmallBook(*env.open());
    const QStringList before = storedNumbers(env);
    // Another connection holds the write lock for longer than the pass waits.
    auto blocker = ABConnection::open(env.addressBookPath(), false);
    QVERIFY(blocker);
    QVERIFY((*blocker)->exec("BEGIN IMMEDIATE"));
    ABConnection::setBusyTimeoutMs(50);
    const Run run = runPass(env, *kReplace12.transform(), true, false);
    ABConnection::setBusyTimeoutMs(5000);
    QVERIFY((*blocker)->exec("ROLLBACK"));
    QCOMPARE(int(run.outcome.failure), int(NumberPass::Outcome::Failure::Save));
    QVERIFY(!run.outcome.error.isEmpty());
    QCOMPARE(storedNumbers(env), before);
}

void NumberPassTest::capacitiesPassNumbersOver()
{
    TestEnvironment env;
    const QString longNumber = QString(52, u'1');
    const QString fiftyOne = QString(51, u'2');
    addPeople(*env.open(), {{u"Long"_s, u"Numbers"_s, {longNumber, fiftyOne}}});
    // A prefix of 49 characters makes a result of 100 from 51: passed over, and the 52 are too.
    const ChangeRule prefix{u"@"_s, QString(49, u'9'), ChangeRule::Prefix, false};
    const Run tooLong = runPass(env, *prefix.transform(), true, true);
    QCOMPARE(tooLong.outcome.changedNumbers, 0);
    QCOMPARE(int(tooLong.report.count("NO CHANGE")), 2);
    QCOMPARE(storedNumbers(env), (QStringList{longNumber, fiftyOne}));
    // 48 make 99: written.
    const ChangeRule fits{u"@"_s, QString(48, u'9'), ChangeRule::Prefix, false};
    const Run run = runPass(env, *fits.transform(), true, false);
    QCOMPARE(run.outcome.changedNumbers, 1);
    QCOMPARE(storedNumbers(env), (QStringList{longNumber, QString(48, u'9') + fiftyOne}));
}

void NumberPassTest::formatMasksLeaveFormattedNumbersAlone()
{
    TestEnvironment env;
    addPeople(*env.open(), {{u"Ana"_s, u"Lima"_s, {u"(11111) 2222-3333"_s, u"+55 11 2222-3333"_s, u"11222233334"_s}}});
    const Run run = runPass(env, *FormatMasks::defaults().transform(), true, false);
    QCOMPARE(run.changed, (QStringList{u"Ana Lima: +55 11 2222-3333 -> (+5511) 2222-3333"_s}));
    QCOMPARE(storedNumbers(env), (QStringList{u"(11111) 2222-3333"_s, u"(+5511) 2222-3333"_s, u"11222233334"_s}));
}

void NumberPassTest::missingAddressBookLeavesOnlyTheHead()
{
    TestEnvironment env;
    QFile foreign(env.addressBookPath());
    QVERIFY(foreign.open(QIODevice::WriteOnly));
    foreign.write("not a database at all, but long enough to look like one to a reader");
    foreign.close();
    const Run run = runPass(env, *kReplace12.transform(), false, true);
    QCOMPARE(int(run.outcome.failure), int(NumberPass::Outcome::Failure::AddressBook));
    QCOMPARE(run.report, "<html>\n<head>\n<meta name = \"format-detection\" content = \"telephone=no\">\n</head>\n<body>\n"_ba);
}

QTEST_GUILESS_MAIN(NumberPassTest)
#include "NumberPass_test.moc"
