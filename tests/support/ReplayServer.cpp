#include "tests/support/ReplayServer.h"

#include <QDateTime>
#include <QFile>
#include <QHostAddress>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <stdexcept>

TReplayServer::TReplayServer()
{
    Server = new QTcpServer(this);
    if (!Server->listen(QHostAddress::LocalHost, 0))
        throw std::runtime_error("the replay server cannot listen on the loopback interface");
    Started = QDateTime::currentMSecsSinceEpoch();
    connect(Server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = Server->nextPendingConnection()) {
            socket->setParent(this);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { Read(socket); });
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
}

TReplayServer::~TReplayServer() = default;

QString TReplayServer::Base(const QString& path) const
{
    return QStringLiteral("http://127.0.0.1:%1").arg(Server->serverPort()) + path;
}

void TReplayServer::Answer(const QByteArray& targetStart, const TReplayAnswer& answer)
{
    for (TRoute& route : Routes)
        if (route.Start == targetStart) {
            route.Answers.push_back(answer);
            return;
        }
    Routes.push_back({targetStart, {answer}});
}

QByteArray TReplayServer::File(const char* name)
{
    QFile file(QStringLiteral(VOLUMNIA_TEST_DATA "/lookup/") + QLatin1String(name));
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error(std::string("no recorded answer ") + name);
    return file.readAll();
}

void TReplayServer::Read(QTcpSocket* socket)
{
    // A request is read whole once its blank line came (a GET has no body);
    // the socket keeps what came so far as a property until then.
    QByteArray head = socket->property("head").toByteArray() + socket->readAll();
    const qsizetype end = head.indexOf("\r\n\r\n");
    if (end < 0) {
        socket->setProperty("head", head);
        return;
    }
    socket->setProperty("head", QByteArray());
    const QList<QByteArray> lines = head.left(end).split('\n');
    TReplayRequest request;
    request.Line = lines.value(0).trimmed();
    for (const QByteArray& line : lines)
        if (line.toLower().startsWith("user-agent:"))
            request.UserAgent = line.mid(11).trimmed();
    request.AtMs = QDateTime::currentMSecsSinceEpoch() - Started;
    Requests.push_back(request);
    const QByteArray target = request.Line.split(' ').value(1);
    TReplayAnswer answer;
    answer.Status = 404;
    answer.Body = "{}";
    for (TRoute& route : Routes)
        if (target.startsWith(route.Start)) {
            answer = route.Answers.front();
            if (route.Answers.size() > 1)
                route.Answers.pop_front();
            break;
        }
    if (answer.Silent)
        return;
    QPointer<QTcpSocket> guarded = socket;
    QTimer::singleShot(answer.DelayMs, this, [this, guarded, answer] {
        if (guarded)
            Reply(guarded, answer);
    });
}

void TReplayServer::Reply(QTcpSocket* socket, const TReplayAnswer& answer)
{
    QByteArray bytes = "HTTP/1.1 " + QByteArray::number(answer.Status) + " Answer\r\n";
    bytes += "Content-Type: " + answer.ContentType + "\r\n";
    bytes += "Content-Length: " + QByteArray::number(answer.Body.size()) + "\r\n";
    for (const auto& [name, value] : answer.Headers)
        bytes += name + ": " + value + "\r\n";
    bytes += "Connection: close\r\n\r\n";
    bytes += answer.CutAt >= 0 ? answer.Body.left(answer.CutAt) : answer.Body;
    socket->write(bytes);
    socket->flush();
    socket->disconnectFromHost();
}
