#include "GuiApplication.h"

#include "MainWindow.h"
#include "QtPrintDialogHost.h"
#include "SingleInstance.h"
#include "ViewCatalog.h"
#include "addressbook/ABAddressBook.h"
#include "platform/DevLog.h"
#include "platform/DeviceFacts.h"
#include "screens/ScreenCatalog.h"
#include "shell/AppDelegate.h"
#include "shell/Documents.h"
#include "shell/LaunchOptions.h"
#include "shell/Operations.h"
#include "shell/ScreenRegistry.h"

#include <QApplication>
#include <QIcon>
#include <QTimer>

bool GuiApplication::displayAvailable()
{
    return qEnvironmentVariableIsSet("QT_QPA_PLATFORM") || qEnvironmentVariableIsSet("DISPLAY")
           || qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
}

int GuiApplication::run(int &argc, char **argv, const LaunchOptions &options)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(DeviceFacts::applicationName());
    QApplication::setApplicationVersion(DeviceFacts::applicationVersion());
    QApplication::setDesktopFileName(QStringLiteral("vennaro"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/help/vennaro.svg")));
    DevLog::setConsoleEnabled(true);

    if (!options.documents.isEmpty())
        Documents::setPath(options.documents);
    if (!options.addressbook.isEmpty())
        ABAddressBook::setDefaultPath(options.addressbook);

    const QUrl handedIn = options.command.isEmpty() ? QUrl() : AppDelegate::urlFromArgument(options.command);
    SingleInstance instance(SingleInstance::serverName(Documents::getDocumentsDir()));
    if (instance.sendToRunning(handedIn.toString()))
        return 0;
    if (!instance.listen())
        DevLog::log(QStringLiteral("could not listen for a second start"));

    ScreenCatalog::registerAll();
    ViewCatalog::registerAll();

    MainWindow window;
    UiHost::setCurrent(&window);
    QtPrintDialogHost printDialogs(&window);
    PrintDialogHost::setCurrent(&printDialogs);
    AppDelegate delegate;
    window.show();
    delegate.launch(handedIn);
    if (!handedIn.isEmpty())
        QTimer::singleShot(0, &delegate, [&delegate, handedIn] { delegate.handleOpenURL(handedIn); });

    QObject::connect(&instance, &SingleInstance::messageReceived, &window, [&window, &delegate](const QString &message) {
        window.bringToFront();
        // Out of the socket's signal: the question that follows runs its own event loop.
        if (!message.isEmpty())
            QTimer::singleShot(0, &delegate, [&delegate, message] { delegate.handleOpenURL(QUrl(message)); });
    });

    const int status = app.exec();
    // The loop may end by other means than closing the window: let running workers finish
    // their files and their calls into the window first.
    Operations::instance().waitForWorkers();
    UiHost::setCurrent(nullptr);
    PrintDialogHost::setCurrent(nullptr);
    ScreenRegistry::clear();
    return status;
}
