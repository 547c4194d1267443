#include "CloudHttp.h"

#include "platform/DevLog.h"
#include "shell/OAuthSession.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPointer>
#include <QTimer>

namespace {
// A service that asks for more than this is not waited for.
constexpr int kLongestWait = 300;
}

struct CloudHttp::Attempt {
    CloudCall call;
    Done done;
    Progress progress;
    Sink sink;
    bool refreshed = false;
    int retries = 0;
    bool sinkFailed = false;
};

CloudHttp::CloudHttp(OAuthSession *session, QObject *parent) : QObject(parent), m_session(session) {}

void CloudHttp::send(CloudCall call, Done done, Progress progress, Sink sink)
{
    startWithToken(std::make_shared<Attempt>(Attempt{std::move(call), std::move(done), std::move(progress), std::move(sink)}), false);
}

void CloudHttp::startWithToken(std::shared_ptr<Attempt> attempt, bool refreshed)
{
    QPointer<CloudHttp> self(this);
    auto go = [self, attempt](Result<QString> token) {
        if (!self)
            return;
        if (token)
            self->start(attempt, *token);
        else
            attempt->done(Reply{0, {}, nullptr, token.error()});
    };
    if (refreshed)
        m_session->refreshAccessToken(go);
    else
        m_session->accessToken(go);
}

void CloudHttp::start(std::shared_ptr<Attempt> attempt, const QString &token)
{
    QNetworkRequest request = attempt->call.request;
    request.setRawHeader("Authorization", "Bearer " + token.toUtf8());
    QNetworkReply *reply = m_session->network()->sendCustomRequest(request, attempt->call.verb, attempt->call.body);
    // Progress is the request's body going out, or for a download the answer coming in.
    if (attempt->progress && attempt->sink) {
        connect(reply, &QNetworkReply::downloadProgress, this, [attempt](qint64 received, qint64 total) {
            if (total > 0 && received > 0)
                attempt->progress(received, total);
        });
    } else if (attempt->progress) {
        connect(reply, &QNetworkReply::uploadProgress, this, [attempt](qint64 sent, qint64 total) {
            if (total > 0 && sent > 0)
                attempt->progress(sent, total);
        });
    }
    if (attempt->sink) {
        connect(reply, &QNetworkReply::readyRead, this, [attempt, reply] {
            // Only the content of a successful answer goes to the file; error texts stay in the reply.
            if (reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() / 100 != 2 || attempt->sinkFailed)
                return;
            if (!attempt->sink(reply->readAll())) {
                attempt->sinkFailed = true;
                reply->abort();
            }
        });
    }
    connect(reply, &QNetworkReply::finished, this, [this, attempt, reply] { finished(attempt, reply); });
}

void CloudHttp::finished(std::shared_ptr<Attempt> attempt, QNetworkReply *reply)
{
    reply->deleteLater();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QByteArray body = reply->readAll();
    if (status / 100 == 2 && attempt->sink && !attempt->sinkFailed && !body.isEmpty())
        attempt->sinkFailed = !attempt->sink(body);
    if (status == 401 && !attempt->refreshed) {
        attempt->refreshed = true;
        startWithToken(attempt, true);
        return;
    }
    const bool limited = status == 429 || (m_isRateLimited && m_isRateLimited(status, body));
    if (limited && attempt->retries < m_maxRetries) {
        const int seconds = retryDelay(reply, body, attempt->retries);
        if (seconds <= kLongestWait) {
            ++attempt->retries;
            DevLog::log(QStringLiteral("rate limited (%1), retry in %2 s").arg(status).arg(seconds));
            Q_EMIT waitingToRetry(seconds);
            QTimer::singleShot(seconds * 1000, this, [this, attempt] { startWithToken(attempt, false); });
            return;
        }
    }
    attempt->done(Reply{status, body, reply, status == 0 ? reply->errorString() : QString(), attempt->sinkFailed});
}

int CloudHttp::retryDelay(QNetworkReply *reply, const QByteArray &body, int attempt)
{
    bool ok = false;
    const int header = reply->rawHeader("Retry-After").trimmed().toInt(&ok);
    if (ok && header >= 0)
        return header;
    const int inBody = QJsonDocument::fromJson(body).object().value(QStringLiteral("error")).toObject().value(QStringLiteral("retry_after")).toInt(-1);
    if (inBody >= 0)
        return inBody;
    return 1 << attempt;
}
