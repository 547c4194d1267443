#include "support/WindowFixture.h"
#include "gui/MainWindow.h"
#include "gui/ProgressSheet.h"
#include "gui/ScreenView.h"
#include "gui/SingleInstance.h"
#include "shell/AppData.h"
#include "shell/MainThread.h"
#include "shell/ScreenController.h"
#include "shell/ScreenRegistry.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSemaphore>
#include <QSlider>
#include <QTextBrowser>
#include <QToolButton>
#include <QtTest>

// The window offscreen: the main menu and the settings screens clicked through.
// With VENNARO_SCREENSHOTS=DIR the screens are also saved there as PNG files.
class WindowTest : public QObject {
    Q_OBJECT
private:
    WindowFixture *m_fixture = nullptr;
    MainWindow *m_window = nullptr;
    TestEnvironment *m_env = nullptr;

    ScreenView *top() const { return m_fixture->top(); }
    template <typename T>
    T *find(const QString &name) const
    {
        return m_fixture->find<T>(name);
    }
    void settle() { WindowFixture::settle(); }
    void screenshot(const QString &name) { m_fixture->screenshot(name); }

private Q_SLOTS:
    void init()
    {
        m_fixture = new WindowFixture;
        m_window = m_fixture->window();
        m_env = &m_fixture->env();
    }
    void cleanup()
    {
        delete m_fixture;
        m_fixture = nullptr;
    }

    void mainMenuToSettingsAndBack()
    {
        QCOMPARE(m_window->findChild<QLabel *>(QStringLiteral("title"))->text(), QStringLiteral("Vennaro"));
        QVERIFY(!m_window->findChild<QToolButton *>(QStringLiteral("backButton"))->isVisible());
        QVERIFY(m_window->findChild<QToolButton *>(QStringLiteral("infoButton"))->isVisible());
        QVERIFY(!m_window->findChild<QToolButton *>(QStringLiteral("sourceButton"))->isVisible());
        QCOMPARE(find<QLabel>(QStringLiteral("sourceLabel"))->text(), QStringLiteral("Addressbook source: All"));
        QVERIFY(find<QPushButton>(QStringLiteral("row13")));
        screenshot(QStringLiteral("main-menu"));

        find<QPushButton>(QStringLiteral("row3"))->click();
        settle();
        QCOMPARE(top()->controller()->screenNumber(), int(SettingsScreen));
        QCOMPARE(m_window->findChild<QLabel *>(QStringLiteral("title"))->text(), QStringLiteral("Settings"));
        QVERIFY(m_window->findChild<QToolButton *>(QStringLiteral("backButton"))->isVisible());
        QVERIFY(!m_window->findChild<QToolButton *>(QStringLiteral("infoButton"))->isVisible());

        find<QCheckBox>(QStringLiteral("row13"))->click(); // Enable Gmail off
        find<QCheckBox>(QStringLiteral("row15"))->click(); // source button on
        find<QPushButton>(QStringLiteral("charset1"))->click();
        QCOMPARE(AppData::sharedInstance().enableGmail(), 0);
        QCOMPARE(AppData::sharedInstance().charSet(), 1);
        if (auto *slider = top()->findChild<QSlider *>(QStringLiteral("btSlider"))) {
            slider->setValue(5);
            settle();
            QCOMPARE(find<QLabel>(QStringLiteral("row4Label"))->text(), QStringLiteral("BT pktsize: 5 K"));
        }
        screenshot(QStringLiteral("settings"));

        find<QPushButton>(QStringLiteral("row3"))->click(); // export filters
        settle();
        QCOMPARE(top()->controller()->screenNumber(), int(ImpExpFiltersScreen));
        find<QCheckBox>(QStringLiteral("row7"))->click(); // Groups
        QCOMPARE(AppData::sharedInstance().flagsExp(), 0xfffeu & ~0x80u);
        screenshot(QStringLiteral("filters"));
        QTest::keyClick(m_window, Qt::Key_Escape);
        settle();
        QCOMPARE(top()->controller()->screenNumber(), int(SettingsScreen));

        m_window->findChild<QToolButton *>(QStringLiteral("backButton"))->click();
        settle();
        QCOMPARE(top()->controller()->screenNumber(), int(MainScreen));
        QVERIFY(!top()->findChild<QPushButton *>(QStringLiteral("row13"))); // the Google section went away
        QVERIFY(m_window->findChild<QToolButton *>(QStringLiteral("sourceButton"))->isVisible());
        QVERIFY(!ScreenRegistry::isViewControllerLoaded(SettingsScreen));
        QVERIFY(QFile::exists(AppData::sharedInstance().settingsPath()));
    }

    void informationPageAndLanguage()
    {
        m_window->findChild<QToolButton *>(QStringLiteral("infoButton"))->click();
        settle();
        QCOMPARE(top()->controller()->screenNumber(), int(WebScreen));
        auto *page = find<QTextBrowser>(QStringLiteral("page"));
        QVERIFY(page->toPlainText().contains(QStringLiteral("Version 0.1.0")));
        screenshot(QStringLiteral("information"));
        m_window->pop();
        settle();

        find<QPushButton>(QStringLiteral("row3"))->click();
        settle();
        find<QPushButton>(QStringLiteral("row9"))->click();
        settle();
        QCOMPARE(top()->controller()->screenNumber(), int(LanguageScreen));
        QVERIFY(find<QPushButton>(QStringLiteral("row1"))->isChecked()); // English is marked
        screenshot(QStringLiteral("language"));
    }

    void progressSheetAndLock()
    {
        m_window->showProgress(UiHost::progressTitle(QStringLiteral("Exporting")), false);
        QVERIFY(m_window->progressSheet());
        QVERIFY(m_window->progressSheet()->isVisible());
        m_window->setProgress(0.5);
        QCOMPARE(m_window->progressSheet()->value(), 0.5);
        m_window->progressSheet()->close(); // the user cannot close it
        QVERIFY(m_window->progressSheet()->isVisible());
        m_window->setProgress(1.0);
        QVERIFY(!m_window->progressSheet());

        find<QPushButton>(QStringLiteral("row3"))->click();
        settle();
        m_window->setLocked(true);
        QVERIFY(!m_window->findChild<QToolButton *>(QStringLiteral("backButton"))->isVisible());
        QVERIFY(!top()->isEnabled());
        QTest::keyClick(m_window, Qt::Key_Escape);
        QCOMPARE(top()->controller()->screenNumber(), int(SettingsScreen));
        m_window->setLocked(false);
        QVERIFY(m_window->findChild<QToolButton *>(QStringLiteral("backButton"))->isVisible());
    }

    void closingWaitsForTheRunningWorker()
    {
        QSemaphore gate;
        std::atomic<bool> calledWindow{false};
        MainWindow *window = m_window;
        MainThread::runOnWorker([&gate, &calledWindow, window] {
            gate.acquire();
            MainThread::callOnMainAndWait([&calledWindow, window] {
                window->setProgress(0.5);
                calledWindow = window->isVisible();
            });
        });
        QVERIFY(m_window->isVisible());
        QVERIFY(!m_window->close());
        QTest::keyClick(m_window, Qt::Key_Q, Qt::ControlModifier);
        settle();
        QVERIFY(m_window->isVisible());
        gate.release();
        QTRY_VERIFY(!m_window->isVisible());
        QVERIFY(calledWindow);
    }

    void secondStartHandsItsFileOver()
    {
        const QString name = SingleInstance::serverName(m_env->documents());
        SingleInstance running(name);
        QVERIFY(running.listen());
        QSignalSpy received(&running, &SingleInstance::messageReceived);
        SingleInstance second(name);
        QVERIFY(second.sendToRunning(QStringLiteral("file:///tmp/a b.vcf")));
        QTRY_COMPARE(received.size(), 1);
        QCOMPARE(received.first().first().toString(), QStringLiteral("file:///tmp/a b.vcf"));
        QVERIFY(!SingleInstance(name + QStringLiteral("-none")).sendToRunning(QString()));
    }
};

QTEST_MAIN(WindowTest)
#include "window_test.moc"
