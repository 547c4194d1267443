#include "WindowFixture.h"

#include "gui/MainWindow.h"
#include "gui/ScreenView.h"
#include "gui/ViewCatalog.h"
#include "screens/ScreenCatalog.h"
#include "shell/AppDelegate.h"
#include "shell/ScreenRegistry.h"
#include "shell/UserDefaults.h"

#include <QCoreApplication>
#include <QtTest>

WindowFixture::WindowFixture() : m_env(new TestEnvironment)
{
    UserDefaults::standardUserDefaults().setPath(m_env->path(QStringLiteral("defaults.plist")));
    UserDefaults::standardUserDefaults().setObject(QStringList{QStringLiteral("en")}, QStringLiteral("AppleLanguages"));
    if (!m_env->open()->setAuthorizationStatus(3))
        qWarning("the address book cannot be authorized");
    ScreenCatalog::registerAll();
    ViewCatalog::registerAll();
    m_window = new MainWindow;
    UiHost::setCurrent(m_window);
    m_delegate = new AppDelegate;
    m_window->show();
    m_delegate->launch();
    settle();
}

WindowFixture::~WindowFixture()
{
    delete m_window;
    delete m_delegate;
    ScreenRegistry::clear();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    delete m_env;
}

ScreenView *WindowFixture::top() const
{
    return m_window->topView();
}

QWidget *WindowFixture::topWidget() const
{
    return top();
}

QWidget *WindowFixture::windowWidget() const
{
    return m_window;
}

void WindowFixture::settle()
{
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

void WindowFixture::screenshot(const QString &name) const
{
    const QString folder = qEnvironmentVariable("VENNARO_SCREENSHOTS");
    if (!folder.isEmpty())
        m_window->grab().save(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
}
