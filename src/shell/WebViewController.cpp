#include "WebViewController.h"

#include "UiHost.h"
#include "platform/DeviceFacts.h"
#include "platform/Localization.h"

#include <QFile>

WebViewController::WebViewController(QObject *parent) : ScreenController(WebScreen, parent)
{
    loadPage();
}

QString WebViewController::title() const
{
    return L("KInformation");
}

QString WebViewController::resourceFolder()
{
    // The resources are compiled into the program; the page's relative names resolve there.
    return QStringLiteral("qrc:");
}

void WebViewController::loadPage(const QString &resourceFile)
{
    QFile file(resourceFile);
    if (!file.open(QIODevice::ReadOnly)) {
        m_failed = true;
        m_html = errorPage(file.errorString());
        Q_EMIT changed();
        return;
    }
    const QString version = DeviceFacts::applicationVersion();
    QString page = QString::fromUtf8(file.readAll());
    page.replace(QStringLiteral("[[[CURPATH]]]"), QStringLiteral("%1/help").arg(resourceFolder()));
    page.replace(QStringLiteral("[[[VERSION]]]"), version);
    page.replace(QStringLiteral("[[[MAILBODY]]]"), QStringLiteral("Vennaro: %1 Device: %2 Firmware: %3\n")
                                                      .arg(version, DeviceFacts::model(), DeviceFacts::systemVersion()));
    m_failed = false;
    m_html = page;
    Q_EMIT changed();
}

QString WebViewController::errorPage(const QString &description)
{
    return QStringLiteral("<html><body><center><font size=\"+4\" color=\"red\">An error occurred:<br>%1<br>Press refresh</font>"
                          "</center></body></html>")
        .arg(description.toHtmlEscaped());
}

void WebViewController::linkActivated(const QUrl &url)
{
    if (UiHost *host = UiHost::current())
        host->openUrl(url);
}
