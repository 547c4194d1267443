#pragma once

#include "RemoteFolder.h"

#include <QUrl>

// The program's folder "Vennaro" in a Google Drive account, through the Drive API v3. With the
// drive.file scope the program sees only what it made itself, so it makes its own folder at
// the top of the drive once and then finds it by name. Uploads name the folder as their
// parent: small files in one multipart request, larger ones in a resumable session.
class DriveFolder : public RemoteFolder {
    Q_OBJECT
public:
    DriveFolder(OAuthSession *session, QUrl apiBase, QObject *parent = nullptr);

    // Files above `multipartLimit` bytes use a resumable upload in pieces of `chunk` bytes (a
    // multiple of 256 KiB).
    void setUploadLimits(qint64 multipartLimit, qint64 chunk);

    // The type a file is uploaded with, by its extension; empty when it cannot be uploaded.
    static QString mimeTypeFor(const QString &name);
    static QString errorText(const CloudHttp::Reply &reply);
    static bool isRateLimited(int status, const QByteArray &body);

protected:
    void listFiles(ListDone done) override;
    void uploadFile(const QString &name, const QByteArray &content, Progress progress, Done done) override;
    void downloadFile(const RemoteFile &file, Sink sink, Progress progress, Done done) override;
    void removeFile(const RemoteFile &file, Done done) override;

private:
    struct Listing;
    struct Resumable;
    void ensureFolder(Done done);
    void createFolder(Done done);
    void listPage(std::shared_ptr<Listing> listing, const QString &pageToken);
    void sendResumablePiece(std::shared_ptr<Resumable> upload);
    QUrl apiUrl(const QString &path, const QList<QPair<QString, QString>> &query = {}) const;

    QUrl m_api;
    QString m_folderId;
    qint64 m_multipartLimit = 5LL * 1024 * 1024;
    qint64 m_chunk = 8LL * 256 * 1024;
};
