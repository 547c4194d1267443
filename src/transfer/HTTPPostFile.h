#pragma once

#include <QByteArray>
#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

class HTTPPostFileBody;
class QAuthenticator;
class QNetworkReply;

// Posts one file to another device's web server ("/filepost") as multipart/form-data and
// decides success by the server's confirmation text in the answer, never by the status code.
// The body is streamed from the file. Exactly one of done() and failed() is emitted per
// upload().
class HTTPPostFile : public QObject {
    Q_OBJECT
public:
    HTTPPostFile(const QUrl &serverURL, const QString &filePath, const QString &userid, const QString &password,
                 QObject *parent = nullptr);
    ~HTTPPostFile() override;

    QString filePath() const { return _filePath; }
    // Time without any progress after which the request fails (30 s unless a test says less).
    void setTimeout(int milliseconds) { m_timeout = milliseconds; }

    // Checks the file and the address and starts the request. A failure found here is reported
    // before upload() returns.
    void upload();

    // The request's header for a body of `length` bytes.
    static QNetworkRequest postRequest(const QUrl &url, qint64 length);
    // What the receiving server says when it stored the file.
    static constexpr char kConfirmation[] = "upload has been completed";

Q_SIGNALS:
    void done(HTTPPostFile *poster);
    void failed(const QString &message, HTTPPostFile *poster);

private:
    void authenticate(QAuthenticator *authenticator);
    void readAnswer();
    void answerComplete();
    void fail(const QString &message);

    QUrl _serverURL;
    QString _filePath;
    QString _userid;
    QString _password;
    bool _uploadDidSucceed = false;
    bool _authError = false;
    int m_challenges = 0;
    int m_timeout = 30000;
    bool m_reported = false;
    QByteArray m_answerTail; // the confirmation may straddle two pieces of the answer
    QNetworkAccessManager m_manager;
    HTTPPostFileBody *m_body = nullptr;
    QPointer<QNetworkReply> m_reply;
};
