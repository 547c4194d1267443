#pragma once

#include "CloudHttp.h"
#include "platform/Result.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QQueue>
#include <QString>

#include <functional>
#include <memory>

class OAuthSession;
class QSaveFile;

// A file in the program's folder of a cloud account.
struct RemoteFile {
    QString name;
    QString id; // what the service names it by (a path or an identifier)
    QDateTime modified;
    qint64 size = -1;
};

// The program's folder ("Vennaro") in one cloud account: made when first needed, listed,
// written and read. Operations run one after the other in the order they were asked for, so
// two writes never race each other at the service. Every callback runs on the main thread.
class RemoteFolder : public QObject {
    Q_OBJECT
public:
    using Progress = std::function<void(double fraction)>;
    using Done = std::function<void(Result<void>)>;
    using ListDone = std::function<void(Result<QList<RemoteFile>>)>;

    explicit RemoteFolder(OAuthSession *session, QObject *parent = nullptr);
    ~RemoteFolder() override;

    static QString folderName() { return QStringLiteral("Vennaro"); }
    // Whether a name has one of the contact files' extensions (vnbin, csv, vcf, ldif).
    static bool isContactFile(const QString &name);

    OAuthSession *session() const { return m_session; }
    CloudHttp &http() { return m_http; }

    // The contact files of the folder (no folders, no other files), in the service's order.
    void listContactFiles(ListDone done);
    // Uploads a local file under its own name (Dropbox replaces a file of that name; Drive,
    // which allows equal names, adds one).
    void upload(const QString &localPath, Progress progress, Done done);
    // Writes a remote file to `localPath`; the file appears there only when it arrived whole.
    void download(const RemoteFile &file, const QString &localPath, Progress progress, Done done);
    void remove(const RemoteFile &file, Done done);

Q_SIGNALS:
    void waitingToRetry(int seconds);

protected:
    using Sink = CloudHttp::Sink;
    // The service's work; each calls `done` exactly once.
    virtual void listFiles(ListDone done) = 0;
    virtual void uploadFile(const QString &name, const QByteArray &content, Progress progress, Done done) = 0;
    virtual void downloadFile(const RemoteFile &file, Sink sink, Progress progress, Done done) = 0;
    virtual void removeFile(const RemoteFile &file, Done done) = 0;

    // The byte counts of one request as the whole transfer's fraction: `before` bytes went in
    // earlier requests of a file of `fileTotal` bytes (0: the request is the whole transfer).
    static CloudHttp::Progress bytesProgress(Progress progress, qint64 before = 0, qint64 fileTotal = 0);

private:
    void enqueue(std::function<void(std::function<void()> next)> operation);
    void runNext();

    OAuthSession *m_session;
    CloudHttp m_http;
    QQueue<std::function<void(std::function<void()>)>> m_queue;
    bool m_running = false;
};
