// TQtNetwork: INetwork on Qt Network. The access manager is made on the first
// request, not before: a run that looks nothing up opens no connection and
// starts none of Qt's network machinery. It belongs to the application
// object, so it ends with it.
#pragma once

#include "platform/Network.h"

#include <QPointer>

#include <map>

class QNetworkAccessManager;
class QNetworkReply;

class TQtNetwork : public INetwork {
public:
    uint64_t Get(const QUrl& url, const QByteArray& userAgent, int timeoutMs, TDone done) override;
    void Cancel(uint64_t request) override;

    // The reply as INetwork tells it, from a finished QNetworkReply.
    static TNetworkReply ReplyOf(QNetworkReply& reply);

private:
    QPointer<QNetworkAccessManager> Manager;
    std::map<uint64_t, QPointer<QNetworkReply>> Running;
    uint64_t Last = 0;
};
