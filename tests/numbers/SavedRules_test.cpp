// FormatRules.plist and FormatMasks.plist: saving, replacing, key order, hand-edited files,
// and files that Python's plistlib reads back.

#include "support/TestEnvironment.h"

#include "numbers/SavedFormatMasks.h"
#include "numbers/SavedRules.h"
#include "platform/DevLog.h"

#include <QFile>
#include <QProcess>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

// The file as Python's plistlib reads it, printed as JSON.
QByteArray readByPlistlib(const QString &path)
{
    QProcess python;
    python.start(u"python3"_s, {u"-c"_s, u"import json, plistlib, sys\n"
                                         "with open(sys.argv[1], 'rb') as f: print(json.dumps(plistlib.load(f)))"_s,
                                path});
    python.waitForFinished(30000);
    return python.readAllStandardOutput().trimmed() + python.readAllStandardError();
}

QStringList ruleNames()
{
    QStringList names;
    for (const SavedRules::Named &rule : SavedRules::rules(SavedRules::read()))
        names.append(rule.name);
    return names;
}

} // namespace

class SavedRulesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void saveReplaceAndDeleteKeepTheFileOrder();
    void pythonReadsTheRuleFile();
    void brokenEntriesAreSkippedAndKept();
    void unusableFiles_data();
    void unusableFiles();
    void formatMasksRoundTrip();
    void formatMasksDefaultsWhenUnreadable();
};

void SavedRulesTest::saveReplaceAndDeleteKeepTheFileOrder()
{
    TestEnvironment env;
    QCOMPARE(SavedRules::count(), 0);
    QCOMPARE(SavedRules::save(u"zeta"_s, {u"@12"_s, QString(), ChangeRule::Erase, true}), SavedRules::SaveResult::Added);
    QCOMPARE(SavedRules::save(u"alpha"_s, {u"?1"_s, u"9"_s, ChangeRule::Prefix, false}), SavedRules::SaveResult::Added);
    QCOMPARE(SavedRules::save(u"zeta"_s, {u"@13"_s, QString(), ChangeRule::Replace, false}), SavedRules::SaveResult::Replaced);
    QCOMPARE(ruleNames(), (QStringList{u"zeta"_s, u"alpha"_s}));
    const std::optional<ChangeRule> zeta = SavedRules::find(u"zeta"_s);
    QVERIFY(zeta);
    QCOMPARE(zeta->mask, u"@13"_s);
    QVERIFY(zeta->newNumber.isEmpty());
    QCOMPARE(zeta->action, int(ChangeRule::Replace));
    QCOMPARE(SavedRules::remove(u"zeta"_s).left, 1);
    QCOMPARE(SavedRules::remove(u"nobody"_s).left, 1);
    QCOMPARE(SavedRules::remove(u"alpha"_s).left, 0);
    QCOMPARE(SavedRules::count(), 0);
}

void SavedRulesTest::pythonReadsTheRuleFile()
{
    TestEnvironment env;
    SavedRules::save(u"Empty new <&>"_s, {u"r^0+"_s, QString(), ChangeRule::Erase, true});
    SavedRules::save(u"Lisboa"_s, {u"21@"_s, u"+351"_s, ChangeRule::Prefix, false});
    QCOMPARE(readByPlistlib(SavedRules::path()),
             R"({"Empty new <&>": ["r^0+", "", 2, 1], "Lisboa": ["21@", "+351", 0, 0]})"_ba);
}

void SavedRulesTest::brokenEntriesAreSkippedAndKept()
{
    TestEnvironment env;
    writeFile(SavedRules::path(), R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0"><dict>
<key>three items</key><array><string>12@</string><string>0</string><integer>0</integer></array>
<key>good</key><array><string>12@</string><string>0</string><integer>0</integer><integer>1</integer></array>
<key>a string</key><string>12@</string>
<key>also good</key><array><string>@9</string><string></string><integer>2</integer><integer>0</integer></array>
</dict></plist>)"_ba);
    QStringList lines;
    DevLog::setSink([&lines](const QString &line) { lines.append(line); });
    QCOMPARE(ruleNames(), (QStringList{u"good"_s, u"also good"_s}));
    DevLog::setSink({});
    QCOMPARE(lines.size(), 2);
    QVERIFY(SavedRules::find(u"good"_s)->showAll);
    // Rewriting the file keeps what it could not use.
    SavedRules::save(u"new"_s, {u"1"_s, u"2"_s, ChangeRule::Replace, false});
    QCOMPARE(SavedRules::read().entries.size(), 5);
}

void SavedRulesTest::unusableFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("failure");
    QTest::newRow("empty") << QByteArray() << int(SavedRules::Table::Failure::NoData);
    QTest::newRow("garbage") << "<plist><dict><key>x"_ba << int(SavedRules::Table::Failure::NotDictionary);
    QTest::newRow("array root") << R"(<?xml version="1.0"?><plist version="1.0"><array><string>a</string></array></plist>)"_ba
                                << int(SavedRules::Table::Failure::NotDictionary);
}

void SavedRulesTest::unusableFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, failure);
    TestEnvironment env;
    writeFile(SavedRules::path(), bytes);
    QCOMPARE(int(SavedRules::read().failure), failure);
    QCOMPARE(SavedRules::count(), 0);
    QCOMPARE(int(SavedRules::remove(u"x"_s).failure), failure);
    // Saving starts a new table.
    QCOMPARE(SavedRules::save(u"x"_s, {u"1"_s, u"2"_s, ChangeRule::Replace, false}), SavedRules::SaveResult::Added);
    QCOMPARE(SavedRules::count(), 1);
}

void SavedRulesTest::formatMasksRoundTrip()
{
    TestEnvironment env;
    FormatMasks masks;
    masks.masks = {u"(?\?) ????"_s, QString(), u"<?&?>"_s};
    QVERIFY(SavedFormatMasks::save(masks));
    QCOMPARE(readByPlistlib(SavedFormatMasks::path()), R"({"FormatMask1": "(??) ????", "FormatMask3": "<?&?>"})"_ba);
    // An empty mask stays empty after a restart; it does not fall back to its default.
    QCOMPARE(SavedFormatMasks::load().masks, masks.masks);
}

void SavedRulesTest::formatMasksDefaultsWhenUnreadable()
{
    TestEnvironment env;
    QStringList lines;
    DevLog::setSink([&lines](const QString &line) { lines.append(line); });
    QCOMPARE(SavedFormatMasks::load().masks, FormatMasks::defaults().masks);
    DevLog::setSink({});
    QCOMPARE(lines, QStringList{u"FILE NOT FOUND "_s + SavedFormatMasks::path()});
}

QTEST_GUILESS_MAIN(SavedRulesTest)
#include "SavedRules_test.moc"
