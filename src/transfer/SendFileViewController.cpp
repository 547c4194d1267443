#include "SendFileViewController.h"

#include "HTTPPostFile.h"
#include "PortNumberCheck.h"
#include "platform/Localization.h"
#include "shell/Documents.h"
#include "shell/UiHost.h"

SendFileViewController::SendFileViewController(QObject *parent) : ScreenController(SendFileScreen, parent) {}

SendFileViewController::~SendFileViewController() = default;

QString SendFileViewController::title() const
{
    return L("KSendFile");
}

void SendFileViewController::setFile(const QString &name)
{
    m_file = name;
    Q_EMIT changed();
}

QString SendFileViewController::fileText() const
{
    return L("KtxFileName").arg(m_file);
}

void SendFileViewController::buttonPressed()
{
    if (m_poster)
        return;
    if (const std::optional<QString> problem = PortNumberCheck::problem(m_port)) {
        showError(*problem);
        return;
    }
    if (m_address.isEmpty()) {
        showError(L("KErrMissingSrvAddr"));
        return;
    }
    setLocked(true);
    if (UiHost *host = UiHost::current())
        host->showProgress(L("KTxInProgress"), true);
    const QUrl url(QStringLiteral("http://%1:%2/filepost").arg(m_address, m_port));
    m_poster = new HTTPPostFile(url, Documents::filePath(m_file), QString::fromLatin1(kUserID), QString(), this);
    connect(m_poster, &HTTPPostFile::done, this, &SendFileViewController::onUploadDone);
    connect(m_poster, &HTTPPostFile::failed, this, &SendFileViewController::onUploadError);
    Q_EMIT changed();
    m_poster->upload();
}

void SendFileViewController::onUploadDone(HTTPPostFile *poster)
{
    finish(poster);
    showInfo(L("KSuccess"));
    Q_EMIT sendFinished(true, L("KSuccess"));
}

void SendFileViewController::onUploadError(const QString &message, HTTPPostFile *poster)
{
    finish(poster);
    showError(message);
    Q_EMIT sendFinished(false, message);
}

void SendFileViewController::finish(HTTPPostFile *poster)
{
    if (UiHost *host = UiHost::current())
        host->closeProgress();
    setLocked(false);
    poster->deleteLater();
    m_poster = nullptr;
    Q_EMIT changed();
}
