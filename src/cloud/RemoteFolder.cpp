#include "RemoteFolder.h"

#include "platform/DevLog.h"
#include "platform/Localization.h"

#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QSaveFile>

RemoteFolder::RemoteFolder(OAuthSession *session, QObject *parent) : QObject(parent), m_session(session), m_http(session)
{
    connect(&m_http, &CloudHttp::waitingToRetry, this, &RemoteFolder::waitingToRetry);
}

RemoteFolder::~RemoteFolder() = default;

bool RemoteFolder::isContactFile(const QString &name)
{
    static const QStringList extensions{QStringLiteral("vnbin"), QStringLiteral("csv"), QStringLiteral("vcf"), QStringLiteral("ldif")};
    return extensions.contains(QFileInfo(name).suffix().toLower());
}

void RemoteFolder::enqueue(std::function<void(std::function<void()> next)> operation)
{
    m_queue.enqueue(std::move(operation));
    if (!m_running)
        runNext();
}

void RemoteFolder::runNext()
{
    if (m_queue.isEmpty()) {
        m_running = false;
        return;
    }
    m_running = true;
    QPointer<RemoteFolder> self(this);
    m_queue.dequeue()([self] {
        if (self)
            self->runNext();
    });
}

void RemoteFolder::listContactFiles(ListDone done)
{
    enqueue([this, done = std::move(done)](std::function<void()> next) {
        listFiles([done, next](Result<QList<RemoteFile>> files) {
            if (files) {
                QList<RemoteFile> contactFiles;
                for (const RemoteFile &file : *files) {
                    if (isContactFile(file.name))
                        contactFiles.append(file);
                }
                done(contactFiles);
            } else {
                done(files);
            }
            next();
        });
    });
}

void RemoteFolder::upload(const QString &localPath, Progress progress, Done done)
{
    enqueue([this, localPath, progress = std::move(progress), done = std::move(done)](std::function<void()> next) {
        const QString name = QFileInfo(localPath).fileName();
        QFile file(localPath);
        if (!QFileInfo(localPath).isFile() || !file.open(QIODevice::ReadOnly)) {
            done(Error{L("KCannotReadFile").arg(name)});
            next();
            return;
        }
        const QByteArray content = file.readAll();
        uploadFile(name, content, progress, [done, next](Result<void> result) {
            done(result);
            next();
        });
    });
}

void RemoteFolder::download(const RemoteFile &remote, const QString &localPath, Progress progress, Done done)
{
    enqueue([this, remote, localPath, progress = std::move(progress), done = std::move(done)](std::function<void()> next) {
        // The content goes to a temporary file that replaces the target only when complete, so
        // a broken transfer never leaves a truncated contact file for the import list.
        auto file = std::make_shared<QSaveFile>(localPath);
        if (!file->open(QIODevice::WriteOnly)) {
            DevLog::log(QStringLiteral("Error creating file at %1: %2").arg(localPath, file->errorString()));
            done(Error{L("KCloudCannotWrite").arg(remote.name) + QLatin1Char(' ') + file->errorString()});
            next();
            return;
        }
        auto writeFailed = std::make_shared<bool>(false);
        Sink sink = [file, writeFailed](const QByteArray &piece) {
            *writeFailed = file->write(piece) != piece.size();
            return !*writeFailed;
        };
        downloadFile(remote, sink, progress, [file, writeFailed, remote, done, next](Result<void> result) {
            if (*writeFailed || (result && !file->commit()))
                result = Error{L("KCloudCannotWrite").arg(remote.name) + QLatin1Char(' ') + file->errorString()};
            else if (!result)
                file->cancelWriting();
            done(result);
            next();
        });
    });
}

void RemoteFolder::remove(const RemoteFile &file, Done done)
{
    enqueue([this, file, done = std::move(done)](std::function<void()> next) {
        removeFile(file, [done, next](Result<void> result) {
            done(result);
            next();
        });
    });
}

CloudHttp::Progress RemoteFolder::bytesProgress(Progress progress, qint64 before, qint64 fileTotal)
{
    if (!progress)
        return {};
    return [progress, before, fileTotal](qint64 sent, qint64 total) {
        const qint64 whole = fileTotal > 0 ? fileTotal : total;
        if (whole > 0)
            progress(std::clamp(double(before + std::min(sent, whole)) / double(whole), 0.0, 1.0));
    };
}
