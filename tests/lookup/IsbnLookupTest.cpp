// A lookup against the loopback replay server: what is asked of whom and
// how (request lines, User-Agent, the pace, Retry-After), and what the user
// is told when a source has nothing, refuses, breaks off, is silent or the
// network is not there.
#include "lookup/IsbnLookup.h"
#include "platform/gui/QtNetwork.h"
#include "tests/support/ReplayServer.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QTest>

#include <gtest/gtest.h>

#include <optional>

namespace {

class IsbnLookupTest : public ::testing::Test {
protected:
    IsbnLookupTest() { Serve(Server); }

    // Every source on that server, each under a path of its own.
    void Serve(const TReplayServer& server)
    {
        Bases[static_cast<size_t>(TLookupSource::OpenLibrary)] = server.Base("/ol");
        Bases[static_cast<size_t>(TLookupSource::Covers)] = server.Base("/covers");
        Bases[static_cast<size_t>(TLookupSource::Finna)] = server.Base("/finna/v1");
        Bases[static_cast<size_t>(TLookupSource::Dnb)] = server.Base("/dnb");
        Bases[static_cast<size_t>(TLookupSource::LibraryOfCongress)] = server.Base("/loc");
    }

    static TReplayAnswer Recorded(const char* file)
    {
        TReplayAnswer answer;
        answer.Body = TReplayServer::File(file);
        if (QByteArray(file).endsWith(".xml"))
            answer.ContentType = "text/xml; charset=utf-8";
        return answer;
    }

    TLookupResult Run(const std::string& isbn, TIsbnLookup::TOptions options = {})
    {
        TIsbnLookup lookup(Network, Bases, options);
        std::optional<TLookupResult> result;
        QObject::connect(&lookup, &TIsbnLookup::Finished, [&result](const TLookupResult& r) { result = r; });
        lookup.Start(isbn);
        EXPECT_TRUE(QTest::qWaitFor([&result] { return result.has_value(); }, 10000));
        return result.value_or(TLookupResult());
    }

    QByteArrayList Lines() const
    {
        QByteArrayList lines;
        for (const TReplayRequest& request : Server.Requests)
            lines << request.Line;
        return lines;
    }

    TReplayServer Server;
    TQtNetwork Network;
    std::array<QString, LookupSources::Count> Bases;
};

TEST_F(IsbnLookupTest, OpenLibraryIsAskedFirstWithTheProgramsUserAgent)
{
    Server.Answer("/ol/api/books", Recorded("openlibrary-9780261102217.json"));
    const TLookupResult result = Run("9780261102217");
    ASSERT_EQ(result.Records.size(), 1u);
    EXPECT_EQ(result.Records[0].Title, QStringLiteral("The Hobbit"));
    EXPECT_EQ(result.Source, QStringLiteral("Open Library"));
    EXPECT_EQ(Lines(), QByteArrayList{"GET /ol/api/books?bibkeys=ISBN:9780261102217&format=json&jscmd=data HTTP/1.1"});
    EXPECT_EQ(Server.Requests.at(0).UserAgent, LookupSources::UserAgent());
    EXPECT_TRUE(LookupSources::UserAgent().startsWith("Volumnia/2.1 (+https://"));
}

TEST_F(IsbnLookupTest, TheNationalLibraryOfThePrefixAnswersWhenOpenLibraryHasNothing)
{
    struct TCase {
        const char* Isbn;
        const char* Route;
        const char* File;
        const char* Request;
        const char* Title;
    };
    const TCase cases[] = {
        {"9789510131534", "/finna/v1/search", "finna-9789510131534.json",
         "GET /finna/v1/search?lookfor=9789510131534&type=AllFields&field[]=title&", "Tuntematon sotilas"},
        {"9783423153935", "/dnb?", "sru-9783423153935.xml",
         "GET /dnb?version=1.1&operation=searchRetrieve&query=num%3D9783423153935&recordSchema=MARC21-xml&",
         "Die Vermessung der Welt"},
        {"9780307404923", "/loc?", "sru-9780307404923.xml",
         "GET /loc?version=1.1&operation=searchRetrieve&query=bath.isbn%3D9780307404923&recordSchema=marcxml&",
         "The road"},
    };
    Server.Answer("/ol/api/books", Recorded("openlibrary-unknown.json"));
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Isbn);
        Server.Requests.clear();
        Server.Answer(c.Route, Recorded(c.File));
        const TLookupResult result = Run(c.Isbn, {15000, 0, 20});
        ASSERT_FALSE(result.Records.empty());
        EXPECT_EQ(result.Records[0].Title, QString::fromUtf8(c.Title));
        ASSERT_EQ(Server.Requests.size(), 2u);
        EXPECT_TRUE(Server.Requests[1].Line.startsWith(c.Request)) << Server.Requests[1].Line.toStdString();
    }
}

TEST_F(IsbnLookupTest, RetryAfterIsWaitedOutOnceAndEverySourceKeepsItsPace)
{
    TReplayAnswer busy;
    busy.Status = 429;
    busy.Headers = {{"Retry-After", "1"}};
    Server.Answer("/ol/api/books", busy);
    Server.Answer("/ol/api/books", Recorded("openlibrary-9780261102217.json"));
    EXPECT_EQ(Run("9780261102217", {15000, 0, 20}).Records.size(), 1u);
    ASSERT_EQ(Server.Requests.size(), 2u);
    EXPECT_GE(Server.Requests[1].AtMs - Server.Requests[0].AtMs, 950);

    // The next lookup of the same source waits its second.
    EXPECT_EQ(Run("9780261102217").Records.size(), 1u);
    EXPECT_EQ(Run("9780261102217").Records.size(), 1u);
    ASSERT_EQ(Server.Requests.size(), 4u);
    EXPECT_GE(Server.Requests[3].AtMs - Server.Requests[2].AtMs, 950);
}

TEST_F(IsbnLookupTest, EachFailureOfASourceIsToldAndTheNextOneAsked)
{
    struct TCase {
        const char* What;
        TReplayAnswer OpenLibrary;
        TReplayAnswer National;
        const char* Line;
    };
    TReplayAnswer forbidden;
    forbidden.Status = 403;
    forbidden.Headers = {{"Retry-After", "3600"}};
    TReplayAnswer cut = Recorded("openlibrary-9780261102217.json");
    cut.CutAt = 100;
    TReplayAnswer silent;
    silent.Silent = true;
    TReplayAnswer notFound;
    notFound.Status = 404;
    const TCase cases[] = {
        {"a refusal too long to wait", forbidden, Recorded("sru-9783423153935.xml"), ""},
        {"a diagnostic inside HTTP 200", Recorded("openlibrary-unknown.json"), Recorded("sru-diagnostic.xml"),
         "Open Library has no record of ISBN 9783423153935. the German National Library: The library answered: "
         "Query syntax error (num=)."},
        {"a cut body", cut, notFound,
         "Open Library's answer broke off. the German National Library refused the request (HTTP 404)."},
        {"silence", silent, silent,
         "Open Library did not answer within 1 s. the German National Library did not answer within 1 s."},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        // A server of its own: the refusal's wait holds for its address.
        TReplayServer server;
        Serve(server);
        server.Answer("/ol/api/books", c.OpenLibrary);
        server.Answer("/dnb?", c.National);
        const TLookupResult result = Run("9783423153935", {400, 0, 20});
        EXPECT_FALSE(result.NoNetwork);
        if (*c.Line) {
            EXPECT_TRUE(result.Records.empty());
            EXPECT_EQ(result.Line, QString::fromUtf8(c.Line));
        } else {
            EXPECT_EQ(result.Records.size(), 1u);
            EXPECT_EQ(server.Requests.size(), 2u); // the refusal was not asked again
        }
    }
}

TEST_F(IsbnLookupTest, WithoutANetworkOneLineAndNoOtherSourceTried)
{
    // A port of the loopback interface that nothing listens on.
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost, 0));
    const quint16 port = closed.serverPort();
    closed.close();
    Bases.fill(QStringLiteral("http://127.0.0.1:%1").arg(port));
    const TLookupResult result = Run("9780261102217", {2000, 0, 20});
    EXPECT_TRUE(result.NoNetwork);
    EXPECT_TRUE(result.Line.startsWith(QStringLiteral("No network: Open Library could not be reached (")))
        << result.Line.toStdString();
}

TEST_F(IsbnLookupTest, ACancelledLookupTellsNothing)
{
    TReplayAnswer late = Recorded("openlibrary-9780261102217.json");
    late.DelayMs = 200;
    Server.Answer("/ol/api/books", late);
    TIsbnLookup lookup(Network, Bases, {15000, 0, 20});
    int finished = 0;
    QObject::connect(&lookup, &TIsbnLookup::Finished, [&finished] { ++finished; });
    lookup.Start("9780261102217");
    ASSERT_TRUE(QTest::qWaitFor([this] { return !Server.Requests.empty(); }, 5000));
    lookup.Cancel();
    EXPECT_FALSE(lookup.Running());
    QTest::qWait(400);
    EXPECT_EQ(finished, 0);
}

TEST_F(IsbnLookupTest, TheCoverIsFetchedByItsIdAndOnlyAJpegIsOne)
{
    TReplayAnswer jpeg;
    jpeg.ContentType = "image/jpeg";
    jpeg.Body = QByteArray("\xFF\xD8\xFF\xE0", 4) + QByteArray(64, 'x');
    Server.Answer("/covers/b/id/8406786-M.jpg", jpeg);
    Server.Answer("/covers/b/id/1-M.jpg", Recorded("openlibrary-unknown.json"));
    TIsbnLookup lookup(Network, Bases, {15000, 0, 20});
    std::vector<std::pair<QByteArray, QString>> fetched;
    QObject::connect(&lookup, &TIsbnLookup::CoverFetched,
                     [&fetched](const QByteArray& bytes, const QString& line) { fetched.emplace_back(bytes, line); });
    lookup.FetchCover(QStringLiteral("8406786"));
    ASSERT_TRUE(QTest::qWaitFor([&fetched] { return fetched.size() == 1; }, 5000));
    lookup.FetchCover(QStringLiteral("1"));
    ASSERT_TRUE(QTest::qWaitFor([&fetched] { return fetched.size() == 2; }, 5000));
    EXPECT_EQ(fetched[0].first, jpeg.Body);
    EXPECT_TRUE(fetched[1].first.isEmpty());
    EXPECT_EQ(fetched[1].second, QStringLiteral("Open Library Covers sent no cover."));
    EXPECT_EQ(Server.Requests.at(0).Line, QByteArray("GET /covers/b/id/8406786-M.jpg HTTP/1.1"));
}

} // namespace
