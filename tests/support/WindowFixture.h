#pragma once

#include "TestEnvironment.h"

#include <QString>
#include <QWidget>

class AppDelegate;
class MainWindow;
class ScreenView;

// The whole window offscreen over a fresh environment, launched on the main menu as the
// program starts it. With VENNARO_SCREENSHOTS=DIR, screenshot() saves PNG files there.
class WindowFixture {
public:
    WindowFixture();
    ~WindowFixture();

    MainWindow *window() const { return m_window; }
    TestEnvironment &env() { return *m_env; }
    ScreenView *top() const;
    // Lets queued redraws run.
    static void settle();
    void screenshot(const QString &name) const;

    // A widget of the top view by object name (warns when there is none).
    template <typename T>
    T *find(const QString &name) const
    {
        T *widget = topWidget()->findChild<T *>(name);
        if (!widget)
            qWarning("no %s", qPrintable(name));
        return widget;
    }
    // A widget anywhere in the window (the navigation bar …).
    template <typename T>
    T *findInWindow(const QString &name) const
    {
        return windowWidget()->findChild<T *>(name);
    }

private:
    QWidget *topWidget() const;
    QWidget *windowWidget() const;

    TestEnvironment *m_env;
    MainWindow *m_window = nullptr;
    AppDelegate *m_delegate = nullptr;
};
