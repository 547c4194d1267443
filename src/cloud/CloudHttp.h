#pragma once

#include <QByteArray>
#include <QNetworkRequest>
#include <QObject>

#include <functional>

class OAuthSession;
class QNetworkReply;

// One request to a cloud service, kept whole so that it can be sent again.
struct CloudCall {
    QByteArray verb; // "GET", "POST", "PUT", "PATCH", "DELETE"
    QNetworkRequest request; // without the Authorization header
    QByteArray body;
};

// Sends calls with the account's bearer token. A refused token (401) is refreshed once and
// the call sent again; rate limits (429, and what `isRateLimited` also calls one) wait for the
// service's Retry-After, or back off 1, 2, 4 … s, a bounded number of times.
class CloudHttp : public QObject {
    Q_OBJECT
public:
    struct Reply {
        int status = 0; // 0: no HTTP answer at all
        QByteArray body; // empty when a sink took it
        QNetworkReply *raw = nullptr; // headers; valid during the callback only
        QString networkError;
        bool sinkFailed = false; // the sink refused a piece (the local file could not be written)
    };
    using Done = std::function<void(const Reply &reply)>;
    using Progress = std::function<void(qint64 done, qint64 total)>;
    // Takes the body of a successful answer piece by piece; false stops the transfer.
    using Sink = std::function<bool(const QByteArray &piece)>;

    CloudHttp(OAuthSession *session, QObject *parent = nullptr);

    void setRateLimitTest(std::function<bool(int status, const QByteArray &body)> test) { m_isRateLimited = std::move(test); }
    void setMaxRetries(int retries) { m_maxRetries = retries; }

    void send(CloudCall call, Done done, Progress progress = {}, Sink sink = {});

Q_SIGNALS:
    // The service asked to slow down; the call goes again after `seconds`.
    void waitingToRetry(int seconds);

private:
    struct Attempt;
    // Sends the attempt with the session's token, a newly refreshed one when asked.
    void startWithToken(std::shared_ptr<Attempt> attempt, bool refreshed);
    void start(std::shared_ptr<Attempt> attempt, const QString &token);
    void finished(std::shared_ptr<Attempt> attempt, QNetworkReply *reply);
    static int retryDelay(QNetworkReply *reply, const QByteArray &body, int attempt);

    OAuthSession *m_session;
    std::function<bool(int, const QByteArray &)> m_isRateLimited;
    int m_maxRetries = 3;
};
