// The number screens in the real window offscreen: the main menu rows open them, a Preview
// lays the report over the form until Done, and the rule chooser hands a rule back.

#include "support/PhonePeople.h"
#include "support/WindowFixture.h"

#include "gui/MainWindow.h"
#include "gui/ScreenView.h"
#include "numbers/CarrierViewController.h"
#include "numbers/FormatNumberViewController.h"
#include "numbers/RulesChooserViewController.h"
#include "numbers/SavedRules.h"
#include "shell/MainViewController.h"

#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTextBrowser>
#include <QToolButton>
#include <QtTest>

using namespace Qt::StringLiterals;

class NumbersWindowTest : public QObject {
    Q_OBJECT
private:
    WindowFixture *m_fixture = nullptr;

    void openFromMenu(int row, int screen)
    {
        m_fixture->find<QPushButton>(u"row%1"_s.arg(row))->click();
        WindowFixture::settle();
        QCOMPARE(m_fixture->top()->controller()->screenNumber(), screen);
    }
    // The report lies over the form: the stack shows it.
    bool reportShown() const
    {
        auto *report = m_fixture->find<QTextBrowser>(u"report"_s);
        return report && report->isVisible();
    }

private Q_SLOTS:
    void init() { m_fixture = new WindowFixture; }
    void cleanup()
    {
        delete m_fixture;
        m_fixture = nullptr;
    }

    void changeNumbersPreviewAndChooser()
    {
        QVERIFY(PhonePeople::add(*m_fixture->env().open(), {{u"Ann"_s, u"Smith"_s, {u"(55) 12"_s, u"5512"_s}},
                                                            {u"Tom"_s, u"& <b>Jerry</b>"_s, {u"712"_s}}}));
        SavedRules::save(u"Trunk 0"_s, {u"21@"_s, u"0"_s, ChangeRule::Prefix, false});
        openFromMenu(MainViewController::RowChangeNumbers, CarrierScreen);
        auto *carrier = qobject_cast<CarrierViewController *>(m_fixture->top()->controller());
        QVERIFY(carrier);
        QVERIFY(m_fixture->find<QPushButton>(u"action1"_s)->isChecked());
        auto *done = m_fixture->findInWindow<QToolButton>(u"doneButton"_s);
        QVERIFY(done && !done->isEnabled());

        QTest::keyClicks(m_fixture->find<QLineEdit>(u"mask"_s), u"@12"_s);
        QTest::keyClicks(m_fixture->find<QLineEdit>(u"newNumber"_s), u"34"_s);
        m_fixture->screenshot(u"change-numbers"_s);
        m_fixture->find<QPushButton>(u"previewButton"_s)->click();
        QTRY_COMPARE_WITH_TIMEOUT(carrier->state(), NumberPassScreen::State::Report, 20000);
        WindowFixture::settle();
        QVERIFY(reportShown());
        QVERIFY(done->isEnabled());
        QVERIFY(m_fixture->find<QTextBrowser>(u"report"_s)->toPlainText().contains(u"Tom & <b>Jerry</b>"_s));
        m_fixture->screenshot(u"change-numbers-report"_s);
        done->click();
        WindowFixture::settle();
        QVERIFY(!reportShown());
        QVERIFY(!done->isEnabled());

        m_fixture->find<QPushButton>(u"loadButton"_s)->click();
        WindowFixture::settle();
        QCOMPARE(m_fixture->top()->controller()->screenNumber(), int(RulesChooserScreen));
        m_fixture->screenshot(u"choose-rule"_s);
        // The rules shipped with the program come first, in the file's order.
        auto *chooser = qobject_cast<RulesChooserViewController *>(m_fixture->top()->controller());
        QVERIFY(chooser);
        const int row = int(chooser->rules().indexOf(u"Trunk 0"_s));
        QCOMPARE(row, int(chooser->rules().size()) - 1);
        m_fixture->find<QPushButton>(u"row%1"_s.arg(row))->click();
        WindowFixture::settle();
        QCOMPARE(m_fixture->top()->controller(), carrier);
        QCOMPARE(m_fixture->find<QLineEdit>(u"mask"_s)->text(), u"21@"_s);
        QVERIFY(m_fixture->find<QPushButton>(u"action0"_s)->isChecked());
    }

    void formatNumbersScreen()
    {
        openFromMenu(MainViewController::RowFormatNumbers, FormatNumberScreen);
        QCOMPARE(m_fixture->find<QLineEdit>(u"mask1"_s)->text(), u"(????\?) ???\?-????"_s);
        QCOMPARE(m_fixture->find<QLineEdit>(u"mask3"_s)->text(), u"(?\?) ???\?-????"_s);
        m_fixture->screenshot(u"format-numbers"_s);
    }
};

QTEST_MAIN(NumbersWindowTest)
#include "numbers_window_test.moc"
