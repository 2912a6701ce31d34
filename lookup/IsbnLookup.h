// TIsbnLookup: one lookup by ISBN at a time, over the network seam. It asks
// Open Library first and, without a record from it, the national library of
// the ISBN's prefix (lookup/LookupSources), and fetches a cover by its ID.
// Its manners, whoever asks:
// - at most one request a second to a source (kept for the whole run, over
//   every lookup);
// - an answer 403 or 429 with Retry-After is waited out once, when the wait
//   is not longer than LongestWaitS, and the source is not asked again
//   before it has passed;
// - each request has a time limit; Cancel ends the lookup at once and no
//   answer of it is told;
// - a failure to reach the network ends the lookup with one line; any other
//   failure of a source is told beside the next source's answer.
// It only ever asks when Start or FetchCover is called: the user's action.
#pragma once

#include "lookup/LookupRecord.h"
#include "lookup/LookupSources.h"
#include "platform/Network.h"

#include <QObject>

#include <array>
#include <functional>
#include <string>
#include <vector>

class QTimer;

struct TLookupResult {
    std::vector<TLookupRecord> Records; // likeliest first; empty when none was found
    QString Source;                     // the source's name, where records came from
    QString Line;                       // what happened, a line for the window
    bool NoNetwork = false;             // the network could not be reached
};

class TIsbnLookup : public QObject {
    Q_OBJECT

public:
    struct TOptions {
        int TimeoutMs = 15000;
        int MinIntervalMs = 1000;
        int LongestWaitS = 20;
    };

    TIsbnLookup(INetwork& network, const std::array<QString, LookupSources::Count>& bases, TOptions options,
                QObject* parent = nullptr);
    ~TIsbnLookup() override;

    // Looks up an ISBN-13 (a lookup under way is cancelled first).
    void Start(const std::string& isbn13);
    // Fetches a cover by Open Library's cover ID.
    void FetchCover(const QString& coverId);
    // Ends the lookup or fetch under way; nothing of it is told.
    void Cancel();
    bool Running() const { return FRunning; }

signals:
    void Progress(const QString& line);
    void Finished(const TLookupResult& result);
    // The cover's bytes, empty with a line saying why.
    void CoverFetched(const QByteArray& bytes, const QString& line);

private:
    using THandler = std::function<void(const TNetworkReply&)>;
    // Asks a source, keeping its pace and waiting out one Retry-After.
    void Send(TLookupSource source, const QUrl& url, THandler handler, bool retried = false);
    void AskNext();
    void Answered(TLookupSource source, const TNetworkReply& reply);
    void Finish(TLookupResult result);

    INetwork& Network;
    std::array<QString, LookupSources::Count> Bases;
    TOptions Options;
    QTimer* Wait = nullptr;
    uint64_t Request = 0;
    uint64_t Generation = 0; // a cancelled lookup's callbacks see a newer one
    bool FRunning = false;
    std::string Isbn;
    std::vector<TLookupSource> Sources; // still to ask
    QStringList Problems;
};
