// INetwork: the one way the program asks a server for something. A request
// is a plain GET with the program's own User-Agent and a time limit; the
// answer comes back once, from the event loop, unless the request was
// cancelled first. The windows reach it through TPlatform::Network() (the
// Qt implementation in platform/gui); tests put in one that reaches the
// loopback interface only. Qt Core types only, so the lookup logic below
// the windows can be given it.
#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <cstdint>
#include <functional>

struct TNetworkReply {
    enum TFailure {
        None,         // an HTTP answer came: Status and Body hold it
        NoConnection, // no network, the host unknown or not answering
        TimedOut,     // nothing more came within the time limit
        Broken        // the connection broke off during the answer
    };
    TFailure Failure = None;
    int Status = 0;
    QByteArray Body;
    QByteArray RetryAfter; // the header as sent, empty without one
    QString Error;         // the system's words for a failure
};

class INetwork {
public:
    using TDone = std::function<void(const TNetworkReply&)>;

    virtual ~INetwork() = default;
    // Starts a GET; done is called once, later, from the event loop. The
    // number returned names the request to Cancel.
    virtual uint64_t Get(const QUrl& url, const QByteArray& userAgent, int timeoutMs, TDone done) = 0;
    // The request's done is never called; an unknown or finished one is ignored.
    virtual void Cancel(uint64_t request) = 0;
};
