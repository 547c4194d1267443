#include "CloudFixture.h"

#include "shell/OAuthSession.h"
#include "shell/UserDefaults.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTimer>

CloudFixture::CloudFixture()
{
    UserDefaults &defaults = UserDefaults::standardUserDefaults();
    m_previousDefaults = defaults.path();
    defaults.setPath(m_config.path() + QStringLiteral("/defaults.plist"));
    const QString dropboxAuthUrl = dropboxAuth.url().toString();
    const QString driveAuthUrl = driveAuth.url().toString();
    defaults.setObject(dropboxAuthUrl + QStringLiteral("/authorize"), QStringLiteral("DropboxAuthorizeURL"));
    defaults.setObject(dropboxAuthUrl + QStringLiteral("/token"), QStringLiteral("DropboxTokenURL"));
    defaults.setObject(dropbox.url().toString(), QStringLiteral("DropboxApiURL"));
    defaults.setObject(dropbox.url().toString(), QStringLiteral("DropboxContentURL"));
    defaults.setObject(QStringLiteral("dropbox-app-key"), QStringLiteral("DropboxAppKey"));
    defaults.setObject(QStringLiteral("0"), QStringLiteral("DropboxRedirectPort"));
    defaults.setObject(driveAuthUrl + QStringLiteral("/authorize"), QStringLiteral("DriveAuthorizeURL"));
    defaults.setObject(driveAuthUrl + QStringLiteral("/token"), QStringLiteral("DriveTokenURL"));
    defaults.setObject(drive.url().toString(), QStringLiteral("DriveApiURL"));
    defaults.setObject(QStringLiteral("drive-client-id"), QStringLiteral("DriveClientId"));
    defaults.setObject(QStringLiteral("drive-secret"), QStringLiteral("DriveClientSecret"));
    defaults.synchronize();
    CloudAccounts::instance().reset();
}

CloudFixture::~CloudFixture()
{
    CloudAccounts::instance().reset();
    UserDefaults::standardUserDefaults().setPath(m_previousDefaults);
}

void CloudFixture::signIn(CloudAccounts::Service service)
{
    OAuthStandIn &auth = service == CloudAccounts::Dropbox ? dropboxAuth : driveAuth;
    CloudAccounts::instance().session(service)->link(auth.issue());
}

QByteArray CloudFixture::browse(const QUrl &address, int *status)
{
    QNetworkAccessManager network;
    QNetworkReply *reply = network.get(QNetworkRequest(address));
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec();
    if (status)
        *status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QByteArray body = reply->readAll();
    delete reply;
    return body;
}

namespace {
template <typename T>
T waitFor(const std::function<void(std::function<void(T)>)> &operation)
{
    std::optional<T> outcome;
    QEventLoop loop;
    operation([&](T value) {
        outcome.emplace(std::move(value));
        loop.quit();
    });
    if (!outcome) {
        QTimer::singleShot(30000, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return outcome ? std::move(*outcome) : T(Error{QStringLiteral("timed out")});
}
}

Result<QList<RemoteFile>> CloudFixture::list(RemoteFolder &folder)
{
    return waitFor<Result<QList<RemoteFile>>>([&](auto done) { folder.listContactFiles(done); });
}

Result<void> CloudFixture::upload(RemoteFolder &folder, const QString &path, QList<double> *progress)
{
    return waitFor<Result<void>>([&](auto done) {
        folder.upload(path, [progress](double value) {
            if (progress)
                progress->append(value);
        }, done);
    });
}

Result<void> CloudFixture::download(RemoteFolder &folder, const RemoteFile &file, const QString &path)
{
    return waitFor<Result<void>>([&](auto done) { folder.download(file, path, {}, done); });
}

Result<void> CloudFixture::remove(RemoteFolder &folder, const RemoteFile &file)
{
    return waitFor<Result<void>>([&](auto done) { folder.remove(file, done); });
}
