// The sources' answers read into records, from the recorded answers of
// tests/data/lookup, whole and cut short, and the candidate book a record
// makes.
#include "engine/FieldTable.h"
#include "lookup/LookupSources.h"
#include "tests/support/ReplayServer.h"

#include <gtest/gtest.h>

namespace {

struct TAnswerCase {
    TLookupSource Source;
    const char* File;
    size_t Records;
    // The first record; empty where not checked.
    const char* Title;
    const char* Author;
    const char* Publisher;
    const char* Year;
    const char* Pages;
    const char* Isbn;
    const char* CoverId;
};

QString Q(const char* text)
{
    return QString::fromUtf8(text);
}

TEST(LookupAnswerTest, ReadsEachSourcesRecord)
{
    const TAnswerCase cases[] = {
        {TLookupSource::OpenLibrary, "openlibrary-9780261102217.json", 1, "The Hobbit: or There and Back Again",
         "J.R.R. Tolkien", "HarperCollins", "1996", "310", "9780261102217", "8406786"},
        {TLookupSource::OpenLibrary, "openlibrary-9785040123452.json", 1, "Мастер и Маргарита", "Михаил Булгаков",
         "Эксмо", "2019", "480", "9785040123452", ""},
        {TLookupSource::OpenLibrary, "openlibrary-unknown.json", 0, "", "", "", "", "", "", ""},
        {TLookupSource::Finna, "finna-9789510131534.json", 2, "Tuntematon sotilas", "Linna, Väinö", "WSOY", "1954",
         "476", "9789510131534", ""},
        {TLookupSource::Dnb, "sru-9783423153935.xml", 1, "Die Vermessung der Welt: Roman", "Kehlmann, Daniel", "dtv",
         "2014", "302", "9783423153935", ""},
        {TLookupSource::LibraryOfCongress, "sru-9780307404923.xml", 1, "The road", "McCarthy, Cormac",
         "Vintage International", "2008", "287", "9780307404923", ""},
    };
    for (const TAnswerCase& c : cases) {
        SCOPED_TRACE(c.File);
        const TLookupAnswer answer = LookupSources::Parse(c.Source, TReplayServer::File(c.File));
        EXPECT_TRUE(answer.Problem.isEmpty()) << answer.Problem.toStdString();
        ASSERT_EQ(answer.Records.size(), c.Records);
        if (c.Records == 0)
            continue;
        const TLookupRecord& r = answer.Records.front();
        EXPECT_EQ(r.FullTitle(), Q(c.Title));
        EXPECT_EQ(r.AuthorText(), Q(c.Author));
        EXPECT_EQ(r.PublisherText(), Q(c.Publisher));
        EXPECT_EQ(r.Year, Q(c.Year));
        EXPECT_EQ(r.Pages, Q(c.Pages));
        EXPECT_EQ(r.Isbns.value(0), Q(c.Isbn));
        EXPECT_EQ(r.CoverId, Q(c.CoverId));
    }
}

TEST(LookupAnswerTest, AnAnswerCutShortOrRefusedIsAProblemNotABook)
{
    struct TCase {
        TLookupSource Source;
        QByteArray Bytes;
        const char* Problem;
    };
    const QByteArray hobbit = TReplayServer::File("openlibrary-9780261102217.json");
    const QByteArray road = TReplayServer::File("sru-9780307404923.xml");
    const TCase cases[] = {
        {TLookupSource::OpenLibrary, hobbit.left(hobbit.size() / 2), "The answer was cut short."},
        {TLookupSource::OpenLibrary, "<html>Service unavailable</html>", "The answer was not readable."},
        {TLookupSource::OpenLibrary, "[]", "The answer was not of the form expected."},
        {TLookupSource::LibraryOfCongress, road.left(road.indexOf("</record>")), "The answer was cut short."},
        {TLookupSource::Dnb, TReplayServer::File("sru-diagnostic.xml"),
         "The library answered: Query syntax error (num=)."},
        {TLookupSource::Finna, TReplayServer::File("finna-error.json"), "Finna: Invalid search type"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Problem);
        const TLookupAnswer answer = LookupSources::Parse(c.Source, c.Bytes);
        EXPECT_EQ(answer.Problem, Q(c.Problem));
        EXPECT_TRUE(answer.Records.empty());
    }
}

TEST(LookupAnswerTest, CatalogueRecordPunctuationAndDatesAreTakenApart)
{
    const std::pair<const char*, const char*> trimmed[] = {
        {"The hobbit /", "The hobbit"},
        {"Allen & Unwin,", "Allen & Unwin"},
        {"Tolkien, J. R. R.,", "Tolkien, J. R. R."},
        {"Davis, Sammy, Jr.", "Davis, Sammy, Jr."},
        {"Der Herr der Ringe.", "Der Herr der Ringe"},
        {"  a  : ", "a"},
    };
    for (const auto& [text, want] : trimmed)
        EXPECT_EQ(LookupRecord::Trimmed(Q(text)), Q(want)) << text;
    const std::pair<const char*, const char*> years[] = {
        {"October 1, 1988", "1988"}, {"c1999.", "1999"}, {"[2003]", "2003"}, {"19999", ""}, {"n.d.", ""}};
    for (const auto& [text, want] : years)
        EXPECT_EQ(LookupRecord::YearIn(Q(text)), Q(want)) << text;
}

TEST(LookupAnswerTest, LikeliestRecordFirstAndEmptyOnesDropped)
{
    TLookupRecord bare;
    bare.Title = QStringLiteral("Bare");
    TLookupRecord full = bare;
    full.Title = QStringLiteral("Full");
    full.Authors = QStringList{QStringLiteral("A")};
    full.Year = QStringLiteral("2000");
    TLookupRecord named = bare;
    named.Title = QStringLiteral("Named");
    named.Isbns = QStringList{QStringLiteral("9780261102217")};
    const std::vector<TLookupRecord> ranked =
        LookupRecord::Ranked({TLookupRecord(), bare, full, named, bare}, "9780261102217");
    ASSERT_EQ(ranked.size(), 4u);
    EXPECT_EQ(ranked[0].Title, QStringLiteral("Named"));
    EXPECT_EQ(ranked[1].Title, QStringLiteral("Full"));
    EXPECT_EQ(ranked[2].Title, QStringLiteral("Bare"));
}

TEST(LookupAnswerTest, TheBookKeepsLettersTheDatabaseCannotHoldInItsDetails)
{
    const TLookupAnswer cyrillic =
        LookupSources::Parse(TLookupSource::OpenLibrary, TReplayServer::File("openlibrary-9785040123452.json"));
    const TItem russian = LookupRecord::BookOf(cyrillic.Records.at(0), "9785040123452");
    EXPECT_EQ(russian.Fields[0], "Master i Margarita");
    EXPECT_EQ(russian.Fields[1], "Mikhail Bulgakov");
    EXPECT_EQ(russian.Fields[2], "Eksmo");
    EXPECT_EQ(russian.Details.Value(FieldTable::TitleOwnKey), "Мастер и Маргарита");
    EXPECT_EQ(russian.Details.Value(FieldTable::AuthorOwnKey), "Михаил Булгаков");
    EXPECT_EQ(russian.Details.Value("isbn"), "9785040123452");

    const TLookupAnswer finnish =
        LookupSources::Parse(TLookupSource::Finna, TReplayServer::File("finna-9789510131534.json"));
    const TItem linna = LookupRecord::BookOf(finnish.Records.at(0), "9789510131534");
    EXPECT_EQ(linna.Fields[1], "Linna, V\xE4in\xF6"); // Windows-1252 holds ä and ö
    EXPECT_FALSE(linna.Details.Has(FieldTable::AuthorOwnKey));
}

} // namespace
