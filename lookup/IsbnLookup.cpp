#include "lookup/IsbnLookup.h"

#include <QDateTime>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <map>

namespace {

int64_t NowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// When each source may next be asked, for the whole run: every lookup keeps
// the pace. A source is its name and base, so two test servers never share one.
std::map<QString, int64_t>& NextAllowed()
{
    static std::map<QString, int64_t> next;
    return next;
}

QString PaceKey(TLookupSource source, const QUrl& url)
{
    return LookupSources::Name(source) + QLatin1Char('|') + url.scheme() + url.host() + QString::number(url.port());
}

// Retry-After in seconds: a number of seconds or an HTTP date; -1 without one.
int RetryAfterSeconds(const QByteArray& header)
{
    const QByteArray text = header.trimmed();
    if (text.isEmpty())
        return -1;
    bool number = false;
    const int seconds = text.toInt(&number);
    if (number)
        return seconds < 0 ? -1 : seconds;
    const QDateTime when = QDateTime::fromString(QString::fromLatin1(text), Qt::RFC2822Date);
    if (!when.isValid())
        return -1;
    const qint64 left = QDateTime::currentDateTimeUtc().secsTo(when);
    return left < 0 ? 0 : static_cast<int>(std::min<qint64>(left, 86400));
}

} // namespace

TIsbnLookup::TIsbnLookup(INetwork& network, const std::array<QString, LookupSources::Count>& bases, TOptions options,
                         QObject* parent)
    : QObject(parent), Network(network), Bases(bases), Options(options)
{
    Wait = new QTimer(this);
    Wait->setSingleShot(true);
}

TIsbnLookup::~TIsbnLookup()
{
    Cancel();
}

void TIsbnLookup::Cancel()
{
    ++Generation;
    Wait->stop();
    disconnect(Wait, nullptr, this, nullptr);
    if (Request != 0)
        Network.Cancel(Request);
    Request = 0;
    FRunning = false;
}

void TIsbnLookup::Send(TLookupSource source, const QUrl& url, THandler handler, bool retried)
{
    const QString key = PaceKey(source, url);
    const int64_t wait = NextAllowed()[key] - NowMs();
    const uint64_t generation = Generation;
    if (wait > 0) {
        disconnect(Wait, nullptr, this, nullptr);
        connect(Wait, &QTimer::timeout, this, [this, source, url, handler, retried] {
            disconnect(Wait, nullptr, this, nullptr);
            Send(source, url, handler, retried);
        });
        Wait->start(static_cast<int>(wait));
        return;
    }
    NextAllowed()[key] = NowMs() + Options.MinIntervalMs;
    emit Progress(QStringLiteral("Asking %1...").arg(LookupSources::Name(source)));
    Request = Network.Get(
        url, LookupSources::UserAgent(), Options.TimeoutMs,
        [this, generation, source, url, handler, retried, key](const TNetworkReply& reply) {
            if (generation != Generation)
                return;
            Request = 0;
            const bool refused = reply.Failure == TNetworkReply::None && (reply.Status == 429 || reply.Status == 403);
            const int after = refused ? RetryAfterSeconds(reply.RetryAfter) : -1;
            if (after >= 0)
                NextAllowed()[key] = std::max<int64_t>(NextAllowed()[key], NowMs() + int64_t{after} * 1000);
            if (after >= 0 && after <= Options.LongestWaitS && !retried) {
                emit Progress(QStringLiteral("%1 asks to wait %2 s...").arg(LookupSources::Name(source)).arg(after));
                Send(source, url, handler, true);
                return;
            }
            handler(reply);
        });
}

void TIsbnLookup::Start(const std::string& isbn13)
{
    Cancel();
    FRunning = true;
    Isbn = isbn13;
    Problems.clear();
    Sources = {TLookupSource::OpenLibrary, LookupSources::NationalFor(isbn13)};
    AskNext();
}

void TIsbnLookup::AskNext()
{
    if (Sources.empty()) {
        TLookupResult result;
        result.Line = Problems.join(QLatin1Char(' '));
        Finish(result);
        return;
    }
    const TLookupSource source = Sources.front();
    Sources.erase(Sources.begin());
    const QUrl url = LookupSources::RequestFor(source, Bases[static_cast<size_t>(source)], Isbn);
    Send(source, url, [this, source](const TNetworkReply& reply) { Answered(source, reply); });
}

void TIsbnLookup::Answered(TLookupSource source, const TNetworkReply& reply)
{
    const QString name = LookupSources::Name(source);
    switch (reply.Failure) {
    case TNetworkReply::NoConnection: {
        TLookupResult result;
        result.NoNetwork = true;
        result.Line = QStringLiteral("No network: %1 could not be reached (%2).").arg(name, reply.Error);
        Finish(result);
        return;
    }
    case TNetworkReply::TimedOut:
        Problems << QStringLiteral("%1 did not answer within %2 s.").arg(name).arg((Options.TimeoutMs + 999) / 1000);
        AskNext();
        return;
    case TNetworkReply::Broken:
        Problems << QStringLiteral("%1's answer broke off.").arg(name);
        AskNext();
        return;
    case TNetworkReply::None:
        break;
    }
    if (reply.Status != 200) {
        const int after = RetryAfterSeconds(reply.RetryAfter);
        Problems << (after > 0 ? QStringLiteral("%1 refused the request (HTTP %2) and asks to wait %3 s.")
                                     .arg(name)
                                     .arg(reply.Status)
                                     .arg(after)
                               : QStringLiteral("%1 refused the request (HTTP %2).").arg(name).arg(reply.Status));
        AskNext();
        return;
    }
    const TLookupAnswer answer = LookupSources::Parse(source, reply.Body);
    std::vector<TLookupRecord> records = LookupRecord::Ranked(answer.Records, Isbn);
    if (!answer.Problem.isEmpty() && records.empty()) {
        Problems << name + QStringLiteral(": ") + answer.Problem;
        AskNext();
        return;
    }
    if (records.empty()) {
        Problems << QStringLiteral("%1 has no record of ISBN %2.").arg(name, QString::fromStdString(Isbn));
        AskNext();
        return;
    }
    TLookupResult result;
    result.Records = std::move(records);
    result.Source = name;
    result.Line = QStringLiteral("Found by %1.").arg(name);
    Finish(result);
}

void TIsbnLookup::Finish(TLookupResult result)
{
    FRunning = false;
    emit Progress(result.Line);
    emit Finished(result);
}

void TIsbnLookup::FetchCover(const QString& coverId)
{
    Cancel();
    FRunning = true;
    const QUrl url = LookupSources::CoverRequest(Bases[static_cast<size_t>(TLookupSource::Covers)], coverId);
    Send(TLookupSource::Covers, url, [this](const TNetworkReply& reply) {
        FRunning = false;
        const QString name = LookupSources::Name(TLookupSource::Covers);
        // A JPEG starts with its SOI marker; anything else is no cover.
        if (reply.Failure == TNetworkReply::None && reply.Status == 200 && reply.Body.startsWith("\xFF\xD8"))
            emit CoverFetched(reply.Body, QString());
        else if (reply.Failure == TNetworkReply::NoConnection)
            emit CoverFetched({}, QStringLiteral("No network: %1 could not be reached (%2).").arg(name, reply.Error));
        else
            emit CoverFetched({}, QStringLiteral("%1 sent no cover.").arg(name));
    });
}
