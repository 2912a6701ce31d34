#include "platform/gui/QtNetwork.h"

#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

uint64_t TQtNetwork::Get(const QUrl& url, const QByteArray& userAgent, int timeoutMs, TDone done)
{
    if (!Manager)
        Manager = new QNetworkAccessManager(QCoreApplication::instance());
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::UserAgentHeader, userAgent);
    request.setTransferTimeout(timeoutMs);
    // A redirect may go to another address of the source, never from https to http.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    QNetworkReply* reply = Manager->get(request);
    const uint64_t id = ++Last;
    Running[id] = reply;
    QObject::connect(reply, &QNetworkReply::finished, reply, [this, id, reply, done] {
        reply->deleteLater();
        if (Running.erase(id) == 0)
            return; // cancelled
        done(ReplyOf(*reply));
    });
    return id;
}

void TQtNetwork::Cancel(uint64_t request)
{
    const auto it = Running.find(request);
    if (it == Running.end())
        return;
    QPointer<QNetworkReply> reply = it->second;
    Running.erase(it);
    if (reply)
        reply->abort();
}

TNetworkReply TQtNetwork::ReplyOf(QNetworkReply& reply)
{
    TNetworkReply answer;
    const QVariant status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const QNetworkReply::NetworkError error = reply.error();
    // Errors below 100 are the connection's; above, the HTTP answer's status.
    if (error != QNetworkReply::NoError && error < QNetworkReply::ProxyConnectionRefusedError) {
        switch (error) {
        case QNetworkReply::OperationCanceledError: // the transfer timeout aborts it
        case QNetworkReply::TimeoutError:
            answer.Failure = TNetworkReply::TimedOut;
            break;
        case QNetworkReply::RemoteHostClosedError:
            answer.Failure = status.isValid() ? TNetworkReply::Broken : TNetworkReply::NoConnection;
            break;
        case QNetworkReply::ConnectionRefusedError:
        case QNetworkReply::HostNotFoundError:
        case QNetworkReply::TemporaryNetworkFailureError:
        case QNetworkReply::NetworkSessionFailedError:
        case QNetworkReply::UnknownNetworkError:
            answer.Failure = TNetworkReply::NoConnection;
            break;
        default:
            answer.Failure = status.isValid() ? TNetworkReply::Broken : TNetworkReply::NoConnection;
            break;
        }
        answer.Error = reply.errorString();
        return answer;
    }
    if (!status.isValid()) {
        answer.Failure = TNetworkReply::Broken;
        answer.Error = reply.errorString();
        return answer;
    }
    answer.Status = status.toInt();
    answer.Body = reply.readAll();
    answer.RetryAfter = reply.rawHeader("Retry-After");
    return answer;
}
