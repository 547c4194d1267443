#pragma once

#include "RemoteFolder.h"

#include <QJsonObject>
#include <QUrl>

// The program's folder "/Vennaro" of a Dropbox account, through the HTTP API v2: RPC calls
// with JSON bodies on the API host, file contents on the content host with the call's
// argument in the Dropbox-API-Arg header.
class DropboxFolder : public RemoteFolder {
    Q_OBJECT
public:
    DropboxFolder(OAuthSession *session, QUrl apiBase, QUrl contentBase, QObject *parent = nullptr);

    // Files above this size go up in an upload session, in pieces of `chunk` bytes.
    void setUploadSessionLimits(qint64 threshold, qint64 chunk);

    // The JSON of a Dropbox-API-Arg header: every character outside printable ASCII written
    // as \uXXXX, as HTTP headers carry no other text.
    static QByteArray headerArgument(const QJsonObject &argument);
    // The service's own description of a failed call.
    static QString errorText(const CloudHttp::Reply &reply);

protected:
    void listFiles(ListDone done) override;
    void uploadFile(const QString &name, const QByteArray &content, Progress progress, Done done) override;
    void downloadFile(const RemoteFile &file, Sink sink, Progress progress, Done done) override;
    void removeFile(const RemoteFile &file, Done done) override;

private:
    struct Listing;
    struct Session;
    void ensureFolder(Done done);
    void rpc(const QString &route, const QJsonObject &argument, CloudHttp::Done done);
    void content(const QString &route, const QJsonObject &argument, const QByteArray &body, CloudHttp::Done done,
                 CloudHttp::Progress progress = {}, Sink sink = {});
    void listPage(std::shared_ptr<Listing> listing, const QString &route, const QJsonObject &argument);
    void sendSessionPiece(std::shared_ptr<Session> session);
    static QString pathOf(const QString &name);
    static QJsonObject commitInfo(const QString &name);

    QUrl m_api;
    QUrl m_content;
    bool m_folderReady = false;
    qint64 m_sessionThreshold = 100LL * 1024 * 1024;
    qint64 m_chunk = 8LL * 1024 * 1024;
};
