// The change-numbers, format-numbers and rule chooser screens driven through their controllers:
// every message, the screen states around a real pass, and the chooser's hand-over.

#include "support/PhonePeople.h"
#include "support/RecordingUiHost.h"
#include "support/TestEnvironment.h"

#include "addressbook/ABConnection.h"
#include "numbers/CarrierViewController.h"
#include "numbers/FormatNumberViewController.h"
#include "numbers/RulesChooserViewController.h"
#include "numbers/SavedFormatMasks.h"
#include "numbers/SavedRules.h"
#include "platform/DevLog.h"
#include "screens/ScreenCatalog.h"
#include "shell/ScreenRegistry.h"

#include <QFile>
#include <QtTest>

using namespace Qt::StringLiterals;

class NumberScreensTest : public QObject {
    Q_OBJECT
private:
    TestEnvironment *env = nullptr;
    RecordingUiHost *host = nullptr;

    void addPerson(const QString &last, const QString &phone)
    {
        QVERIFY(PhonePeople::add(*env->open(), {{QString(), last, {phone}}}));
    }
    QString storedPhone() { return PhonePeople::storedNumbers(*env->open()).value(0); }

private Q_SLOTS:
    void init()
    {
        env = new TestEnvironment;
        host = new RecordingUiHost;
        ScreenCatalog::registerAll();
    }
    void cleanup()
    {
        ScreenRegistry::clear();
        delete host;
        delete env;
    }

    void newScreenStartsAtReplace()
    {
        auto *carrier = getScreen<CarrierViewController>(CarrierScreen);
        QCOMPARE(carrier->title(), u"Change Numbers"_s);
        QCOMPARE(carrier->_segmentedControl, int(ChangeRule::Replace));
        QVERIFY(!carrier->_switch);
        QCOMPARE(CarrierViewController::actionSegments(), (QStringList{u"Prefix"_s, u"Replace"_s, u"Erase"_s}));
        QVERIFY(!carrier->doneEnabled());
        QVERIFY(!carrier->hidesBackButton());
    }

    void maskCheckMessages()
    {
        auto *carrier = getScreen<CarrierViewController>(CarrierScreen);
        QStringList lines;
        DevLog::setSink([&lines](const QString &line) { lines.append(line); });
        carrier->buttonPressed(NumberPassScreen::CommitTag);
        DevLog::setSink({});
        QCOMPARE(host->lastTitle(), u"Error"_s);
        QCOMPARE(host->lastText(), u"Missing mask."_s);
        QCOMPARE(lines, QStringList{u"-[CarrierViewController buttonPressed:] tag: 3  missing text"_s});
        carrier->setTextCarrier(u"12A"_s);
        carrier->buttonPressed(NumberPassScreen::PreviewTag);
        QCOMPARE(host->lastText(), u"Invalid mask."_s);
        QVERIFY(host->progressTitles.isEmpty());
        QCOMPARE(carrier->state(), NumberPassScreen::State::Editing);
        QVERIFY(!QFile::exists(NumberPassScreen::reportPath()));
    }

    void previewThenCommitThroughTheScreenStates()
    {
        addPerson(u"Costa"_s, u"(0011) 23"_s);
        auto *carrier = getScreen<CarrierViewController>(CarrierScreen);
        carrier->setTextCarrier(u"r^0+"_s);
        carrier->setAction(ChangeRule::Erase);
        carrier->buttonPressed(NumberPassScreen::PreviewTag);
        QCOMPARE(carrier->state(), NumberPassScreen::State::Running);
        QVERIFY(carrier->isLocked());
        QVERIFY(carrier->hidesBackButton());
        QCOMPARE(host->progressTitles, QStringList{u"Please Wait ...\n\nScanning PhoneBook\n\n"_s});
        QTRY_COMPARE_WITH_TIMEOUT(carrier->state(), NumberPassScreen::State::Report, 20000);
        QVERIFY(!carrier->isLocked());
        QVERIFY(!host->progressOpen);
        QVERIFY(carrier->doneEnabled());
        QVERIFY(carrier->hidesBackButton());
        QVERIFY(host->alerts.isEmpty());
        QCOMPARE(storedPhone(), u"(0011) 23"_s);
        QFile report(NumberPassScreen::reportPath());
        QVERIFY(report.open(QIODevice::ReadOnly));
        QVERIFY(report.readAll().contains("<tr><td>(0011) 23 <td><font color=\"red\">1123</font></tr>"));

        // Preview and Commit do nothing while the report is shown; Done goes back to editing.
        carrier->buttonPressed(NumberPassScreen::CommitTag);
        QCOMPARE(host->progressTitles.size(), 1);
        carrier->buttonPressed(NumberPassScreen::DoneTag);
        QCOMPARE(carrier->state(), NumberPassScreen::State::Editing);
        QVERIFY(!carrier->doneEnabled());
        QVERIFY(!carrier->hidesBackButton());

        carrier->buttonPressed(NumberPassScreen::CommitTag);
        QTRY_COMPARE_WITH_TIMEOUT(carrier->state(), NumberPassScreen::State::Report, 20000);
        QCOMPARE(storedPhone(), u"1123"_s);
        QCOMPARE(carrier->_textCarrier, u"r^0+"_s);
    }

    void saveAndLoadRules()
    {
        auto *carrier = getScreen<CarrierViewController>(CarrierScreen);
        carrier->save();
        QCOMPARE(host->lastText(), u"Missing rule name."_s);
        carrier->setTextName(u"Lisbon"_s);
        carrier->save();
        QCOMPARE(host->lastText(), u"Missing mask."_s);
        carrier->load();
        QCOMPARE(host->lastTitle(), u"Vennaro"_s);
        QCOMPARE(host->lastText(), u"There are no saved rules."_s);

        // The mask is not checked on save.
        carrier->setTextCarrier(u"21@x"_s);
        carrier->setAction(ChangeRule::Prefix);
        carrier->setShowAll(true);
        carrier->save();
        QCOMPARE(host->lastText(), u"Mask saved."_s);
        carrier->setTextCarrier(u"21@"_s);
        carrier->save();
        QCOMPARE(host->lastText(), u"Mask replaced."_s);
        QCOMPARE(SavedRules::count(), 1);

        ScreenRegistry::releaseViewController(carrier);
        carrier = getScreen<CarrierViewController>(CarrierScreen);
        host->push(carrier);
        carrier->loadRuleWithKey(u"nobody"_s);
        QVERIFY(carrier->_textName.isEmpty());
        carrier->load();
        QVERIFY(!carrier->bCanRelease);
        auto *chooser = qobject_cast<RulesChooserViewController *>(host->stack.last());
        QVERIFY(chooser);
        QCOMPARE(chooser->rules(), QStringList{u"Lisbon"_s});
        chooser->didSelectRow(0);
        QCOMPARE(host->stack.last(), carrier);
        QVERIFY(carrier->bCanRelease);
        QCOMPARE(carrier->_textName, u"Lisbon"_s);
        QCOMPARE(carrier->_textCarrier, u"21@"_s);
        QVERIFY(carrier->_textCity.isEmpty());
        QCOMPARE(carrier->_segmentedControl, int(ChangeRule::Prefix));
        QVERIFY(carrier->_switch);
    }

    void chooserDeletesAndClosesOnTheLastRule()
    {
        SavedRules::save(u"b"_s, {u"1@"_s, u"0"_s, ChangeRule::Prefix, false});
        SavedRules::save(u"a"_s, {u"2@"_s, u"0"_s, ChangeRule::Prefix, false});
        auto *carrier = getScreen<CarrierViewController>(CarrierScreen);
        host->push(carrier);
        carrier->load();
        auto *chooser = qobject_cast<RulesChooserViewController *>(host->stack.last());
        QVERIFY(chooser);
        QCOMPARE(chooser->title(), u"Choose Rule"_s);
        QCOMPARE(chooser->sectionHeader(), u"Rules"_s);
        QCOMPARE(chooser->rules(), (QStringList{u"b"_s, u"a"_s}));
        chooser->setEditing(true);
        chooser->deleteRow(0);
        QCOMPARE(chooser->rules(), QStringList{u"a"_s});
        QCOMPARE(host->stack.last(), chooser);
        chooser->deleteRow(0);
        QCOMPARE(host->stack.last(), carrier);
        QCOMPARE(SavedRules::count(), 0);
        QVERIFY(carrier->_textName.isEmpty());
        carrier->load();
        QCOMPARE(host->lastText(), u"There are no saved rules."_s);
    }

    void chooserLogsAnUnusableFile()
    {
        QFile file(SavedRules::path());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("<plist><array></array></plist>");
        file.close();
        QStringList lines;
        DevLog::setSink([&lines](const QString &line) { lines.append(line); });
        RulesChooserViewController chooser;
        QCOMPARE(chooser.deleteKey(u"x"_s), 0);
        DevLog::setSink({});
        QVERIFY(chooser.rules().isEmpty());
        QVERIFY(!chooser.editEnabled());
        QCOMPARE(lines, (QStringList{u"-[RulesChooserViewController loadData] no dictionay"_s,
                                     u"-[RulesChooserViewController deleteKey:] no dictionay"_s}));
    }

    void formatScreenMasks()
    {
        addPerson(u"Lima"_s, u"+55 11 2222-3333"_s);
        auto *format = getScreen<FormatNumberViewController>(FormatNumberScreen);
        QCOMPARE(format->title(), u"Format Numbers"_s);
        QCOMPARE(format->masks().masks, FormatMasks::defaults().masks);
        for (int index = 0; index < 3; ++index)
            format->setMask(index, QString());
        QStringList lines;
        DevLog::setSink([&lines](const QString &line) { lines.append(line); });
        format->buttonPressed(NumberPassScreen::PreviewTag);
        DevLog::setSink({});
        QCOMPARE(host->lastText(), u"Missing format mask."_s);
        QCOMPARE(lines, QStringList{u"-[FormatNumberViewController buttonPressed:] tag: 2  missing text"_s});
        QVERIFY(!QFile::exists(SavedFormatMasks::path()));

        format->setMask(0, u"(????\?) ???\?-????"_s);
        format->buttonPressed(NumberPassScreen::CommitTag);
        QTRY_COMPARE_WITH_TIMEOUT(format->state(), NumberPassScreen::State::Report, 20000);
        QCOMPARE(storedPhone(), u"(+5511) 2222-3333"_s);
        const FormatMasks saved = SavedFormatMasks::load();
        QCOMPARE(saved.masks, (std::array<QString, 3>{u"(????\?) ???\?-????"_s, QString(), QString()}));
    }

    void failedCommitIsReported()
    {
        addPerson(u"Costa"_s, u"5512"_s);
        auto blocker = ABConnection::open(env->addressBookPath(), false);
        QVERIFY(blocker);
        QVERIFY((*blocker)->exec("BEGIN IMMEDIATE"));
        ABConnection::setBusyTimeoutMs(50);
        auto *carrier = getScreen<CarrierViewController>(CarrierScreen);
        carrier->setTextCarrier(u"@12"_s);
        carrier->buttonPressed(NumberPassScreen::CommitTag);
        QTRY_COMPARE_WITH_TIMEOUT(carrier->state(), NumberPassScreen::State::Report, 20000);
        ABConnection::setBusyTimeoutMs(5000);
        QVERIFY((*blocker)->exec("ROLLBACK"));
        QCOMPARE(host->lastTitle(), u"Error"_s);
        QVERIFY2(host->lastText().startsWith(u"The changes were not saved: "_s), qPrintable(host->lastText()));
        QCOMPARE(storedPhone(), u"5512"_s);
    }
};

QTEST_GUILESS_MAIN(NumberScreensTest)
#include "screens_test.moc"
