#include "HttpSrvViewController.h"

#include "Announcer.h"
#include "DeviceAddresses.h"
#include "HTTPServer.h"
#include "HttpFTConnection.h"
#include "PortNumberCheck.h"
#include "platform/DevLog.h"
#include "platform/Localization.h"
#include "shell/Documents.h"
#include "shell/UiHost.h"

#include <QTime>

namespace {
// What the web application offers here: the upload form and the Delete links.
constexpr uint kPermissions = 6;
}

HttpSrvViewController::HttpSrvViewController(QObject *parent)
    : ScreenController(HttpSrvScreen, parent), _httpServer(new HTTPServer(this)), m_announcer(new Announcer(this))
{
    _httpServer->setUploadPath(Documents::getDocumentsDir());
    _httpServer->setDocumentRoot(Documents::getDocumentsDir());
    _httpServer->setRelativePath(QStringLiteral("httpft"));
    _httpServer->setPERMISSIONS(kPermissions);
    _httpServer->setConnectionClass<HttpFTConnection>();
    connect(_httpServer, &HTTPServer::trace, this, &HttpSrvViewController::httpRequest);
    setStatus(L("KSrvNotRunning"), Stopped);
}

HttpSrvViewController::~HttpSrvViewController()
{
    m_announcer->stop();
    _httpServer->stop();
}

QString HttpSrvViewController::title() const
{
    return L("KHTTPServer");
}

void HttpSrvViewController::viewWillAppear()
{
    if (!_bServerUP)
        setStatus(L("KSrvNotRunning"), Stopped);
}

void HttpSrvViewController::viewDidDisappear()
{
    // Nobody watches a server whose screen is gone.
    if (_bServerUP)
        stop();
    ScreenController::viewDidDisappear();
}

bool HttpSrvViewController::acceptsEdit(const QString &before, const QString &after)
{
    // An edit replaces one stretch of the text: find what was put in its place.
    qsizetype prefix = 0;
    while (prefix < before.size() && prefix < after.size() && before[prefix] == after[prefix])
        ++prefix;
    qsizetype suffix = 0;
    while (suffix < before.size() - prefix && suffix < after.size() - prefix
           && before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix])
        ++suffix;
    const QString inserted = after.mid(prefix, after.size() - prefix - suffix);
    return inserted.isEmpty() || (inserted.size() == 1 && inserted[0] >= QLatin1Char('0') && inserted[0] <= QLatin1Char('9'));
}

bool HttpSrvViewController::editPort(const QString &after)
{
    if (!acceptsEdit(m_portText, after))
        return false;
    m_portText = after;
    return true;
}

QString HttpSrvViewController::buttonText() const
{
    return _bServerUP ? L("KStopServer") : L("KStartServer");
}

void HttpSrvViewController::buttonAction()
{
    if (_bServerUP)
        stop();
    else
        start();
    Q_EMIT changed();
}

void HttpSrvViewController::start()
{
    if (const std::optional<QString> problem = PortNumberCheck::problem(m_portText)) {
        showError(*problem);
        return;
    }
    const QString active = DeviceAddresses::activeAddress();
    if (active.isEmpty()) {
        showWarning(L("KNoNetConnection"));
        return;
    }
    const int port = int(PortNumberCheck::read(m_portText));
    _httpServer->setPort(quint16(port));
    if (Result<void> started = _httpServer->start(); !started) {
        DevLog::log(QStringLiteral("Error starting HTTP Server: %1").arg(started.error()));
        showError(L("KCantStartSrv").arg(started.error()));
        return;
    }
    DevLog::log(QStringLiteral("HTTP Server started"));
    _bServerUP = true;
    const QString wifi = DeviceAddresses::wifiAddress();
    const QString cellular = DeviceAddresses::cellularAddress();
    if (!wifi.isEmpty() && !cellular.isEmpty())
        setStatus(QStringLiteral("http://%1:%2\nhttp://%3:%4").arg(wifi).arg(port).arg(cellular).arg(port), Running);
    else
        setStatus(QStringLiteral("http://%1:%2").arg(active).arg(port), Running);
    m_announcer->start(port);
}

void HttpSrvViewController::stop()
{
    m_announcer->stop();
    m_traceShown = false;
    _httpServer->stop();
    _bServerUP = false;
    setStatus(L("KSrvNotRunning"), Stopped);
}

void HttpSrvViewController::setStatus(const QString &text, StatusType type)
{
    m_status = text;
    m_statusType = type;
    Q_EMIT changed();
}

void HttpSrvViewController::httpRequest(const QString &line)
{
    m_traceShown = true;
    if (_arrayTrace.size() == kTraceLines)
        _arrayTrace.removeFirst();
    const QTime now = QTime::currentTime();
    _arrayTrace.append(QString::asprintf("%02d:%02d:%02d ", now.hour(), now.minute(), now.second()) + line);
    Q_EMIT changed();
}

QString HttpSrvViewController::traceText() const
{
    // The newest line is always the last of ten.
    QString text = QStringLiteral(" \n").repeated(kTraceLines - _arrayTrace.size());
    for (const QString &line : _arrayTrace)
        text += line + QLatin1Char('\n');
    return text;
}
