// TReplayServer: a small HTTP server on the loopback interface that answers
// the lookups of a test with recorded answers (tests/data/lookup/), so no
// test reaches the real network. Each request's line ("GET /api/books?…
// HTTP/1.1") and User-Agent are recorded. An answer is chosen by the start
// of the request's target; several answers queued for one target are given
// in turn, the last one again after. An answer can be late, cut short (the
// length promised, fewer bytes sent, the connection closed) or never come.
// A target with no answer gets 404.
#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>

#include <deque>
#include <vector>

class QTcpServer;
class QTcpSocket;

struct TReplayAnswer {
    int Status = 200;
    QByteArray Body;
    QByteArray ContentType = "application/json; charset=utf-8";
    QList<QPair<QByteArray, QByteArray>> Headers;
    int DelayMs = 0;
    int CutAt = -1;      // bytes of the body sent before the connection closes; -1 all
    bool Silent = false; // the request is read and never answered
};

struct TReplayRequest {
    QByteArray Line;
    QByteArray UserAgent;
    qint64 AtMs = 0; // since the server started
};

class TReplayServer : public QObject {
    Q_OBJECT

public:
    TReplayServer();
    ~TReplayServer() override;

    // "http://127.0.0.1:<port>" followed by path.
    QString Base(const QString& path = QString()) const;
    void Answer(const QByteArray& targetStart, const TReplayAnswer& answer);
    // A recorded answer's bytes, tests/data/lookup/<name>.
    static QByteArray File(const char* name);

    std::vector<TReplayRequest> Requests;

private:
    void Read(QTcpSocket* socket);
    void Reply(QTcpSocket* socket, const TReplayAnswer& answer);

    struct TRoute {
        QByteArray Start;
        std::deque<TReplayAnswer> Answers;
    };
    QTcpServer* Server = nullptr;
    std::vector<TRoute> Routes;
    qint64 Started = 0;
};
