// The field table's rules for the values of details, and the details file:
// its lines read back as written, damaged lines passed over, the journal that
// picks the rows going with the database file found, and the fingerprint rule
// that keeps a row from a book changed outside the program.
#include "engine/Catalogue.h"
#include "engine/DetailsFile.h"
#include "engine/FieldTable.h"
#include "platform/Crc32.h"
#include "tests/engine/EngineFixture.h"

#include <QDir>
#include <QFileInfo>

namespace {

using namespace EngineTest;

TDetails DetailsOf(std::initializer_list<std::pair<const char*, const char*>> values)
{
    TDetails details;
    for (const auto& [key, value] : values)
        details.Set(key, value);
    return details;
}

TEST(FieldTableTest, ValuesAreTakenInTheirNormalFormOrRefused)
{
    const struct {
        const char* Key;
        const char* Typed;
        const char* Stored; // nullptr: refused
    } cases[] = {
        {"isbn", "978-0-552-13107-0", "9780552131070"},
        {"isbn", " 0 552 13107 5 ", "9780552131070"}, // the ISBN-10 of the same book
        {"isbn", "0-8044-2957-X", "9780804429573"},   // X as check digit
        {"isbn", "978-0-552-13107-1", nullptr},       // wrong check digit
        {"isbn", "0552131079", nullptr},
        {"isbn", "97805521310701", nullptr},
        {"isbn", "", ""},
        {"rating", "4", "4"},
        {"rating", "4.50", "4.5"},
        {"rating", "6", nullptr},
        {"rating", "-1", nullptr},
        {"series_number", "010", "10"},
        {"series_number", "2.5", "2.5"},
        {"series_number", "two", nullptr},
        {"copies", "1e3", nullptr},
        {"finished", "2026-02-29", nullptr},
        {"finished", "2024-02-29", "2024-02-29"},
        {"finished", "29.2.2024", nullptr},
        {"tags", " fantasy,humour;; fantasy ", "fantasy, humour"},
        {"status", "Read", "read"},
        {"status", "to-read", "to-read"},
        {"status", "borrowed", nullptr},
        {"series", "  Discworld ", "Discworld"},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(std::string(test.Key) + " " + test.Typed);
        const TField* field = FieldTable::Find(test.Key);
        ASSERT_NE(field, nullptr);
        std::string value;
        std::string why;
        const bool taken = FieldTable::Normalized(*field, test.Typed, value, &why);
        EXPECT_EQ(taken, test.Stored != nullptr);
        if (test.Stored)
            EXPECT_EQ(value, test.Stored);
        else
            EXPECT_NE(why.find(field->Caption), std::string::npos) << why;
    }
}

TEST(FieldTableTest, TheTableNamesEachKeyOnceAndTheFileFieldsInOrder)
{
    std::vector<std::string> keys;
    int fileField = 0;
    for (const TField& field : FieldTable::Fields()) {
        EXPECT_EQ(std::count(keys.begin(), keys.end(), field.Key), 0) << field.Key;
        keys.push_back(field.Key);
        if (!field.IsDetail()) {
            EXPECT_EQ(field.FileField, fileField++) << field.Key;
        }
    }
    EXPECT_EQ(fileField, 8);
    EXPECT_EQ(FieldTable::Isbn10("9780552131070"), "0552131075");
}

TEST(FieldTableTest, NumbersSortByValueAndEmptyLast)
{
    const TField& number = *FieldTable::Find("series_number");
    std::vector<std::string> values{"10", "", "2", "1", "2.5"};
    std::sort(values.begin(), values.end(),
              [&](const std::string& a, const std::string& b) { return FieldTable::CompareValues(number, a, b) < 0; });
    EXPECT_EQ(values, (std::vector<std::string>{"1", "2", "2.5", "10", ""}));
}

TEST(DetailsFileTest, RowsReadBackAsWrittenAndDamagedLinesArePassedOver)
{
    const std::vector<TDetailsRow> rows = {
        {3, "0123abcd", DetailsOf({{"isbn", "9780552131070"}, {"title_own", "Marie Kond\xC5\x8D"}})},
        {7, "89abcdef", DetailsOf({{"tags", "a\tb\\c\r\nd"}})},
    };
    const std::string bytes = DetailsFile::Format(rows);
    EXPECT_EQ(bytes.substr(0, 18), "Volumnia details\r\n");
    EXPECT_EQ(DetailsFile::Parse(bytes).Rows, rows);

    const struct {
        const char* What;
        const char* Line;
    } damaged[] = {
        {"no values", "4\t0123abcd"},
        {"a key without value", "4\t0123abcd\tisbn"},
        {"fingerprint not hex", "4\t0123ABCD\tisbn\t1"},
        {"number zero", "0\t0123abcd\tisbn\t1"},
        {"number not a number", "x4\t0123abcd\tisbn\t1"},
        {"bad escape", "4\t0123abcd\tisbn\t1\\q"},
        {"key twice", "4\t0123abcd\tisbn\t1\tisbn\t2"},
        {"a journal without hashes", "journal\t1"},
    };
    for (const auto& test : damaged) {
        SCOPED_TRACE(test.What);
        const DetailsFile::TContent content = DetailsFile::Parse(bytes + test.Line + "\r\n");
        EXPECT_EQ(content.Rows, rows);
        EXPECT_EQ(content.Damaged, 1u);
    }
    // A BOM and LF-only line ends read too; another file is not read at all.
    std::string lf = "\xEF\xBB\xBF" + bytes;
    lf.erase(std::remove(lf.begin(), lf.end(), '\r'), lf.end());
    EXPECT_EQ(DetailsFile::Parse(lf).Rows.size(), 2u);
    EXPECT_TRUE(DetailsFile::Parse("ID\tISBN\r\n1\t2\r\n").NotOurs);
}

TEST(DetailsFileTest, TheJournalGivesTheRowsOfTheDatabaseFileFound)
{
    const std::vector<TDetailsRow> after = {{1, "00000001", DetailsOf({{"rating", "4"}})}};
    const std::vector<TDetailsRow> before = {{1, "00000001", DetailsOf({{"rating", "2"}})},
                                             {2, "00000002", DetailsOf({{"series", "X"}})}};
    const DetailsFile::TContent content =
        DetailsFile::Parse(DetailsFile::FormatJournaled(after, 0xAAAAAAAA, 0xBBBBBBBB, before));
    ASSERT_TRUE(content.HasJournal);
    EXPECT_EQ(DetailsFile::RowsFor(content, 0xAAAAAAAA), after);
    EXPECT_EQ(DetailsFile::RowsFor(content, 0xBBBBBBBB), before);
    // A database file changed since by another program: the newest rows, each
    // still checked against its book's fingerprint.
    EXPECT_EQ(DetailsFile::RowsFor(content, 0x12345678), after);
}

class DetailsCatalogueTest : public TEngineFixture {
protected:
    std::unique_ptr<TCatalogue> Open()
    {
        auto settings = std::make_unique<TRFileSystem>("volumnia.kelt");
        auto database = std::make_unique<TDatabase>(*settings);
        return std::make_unique<TCatalogue>(std::move(settings), std::move(database));
    }
};

// A row is its book's while the book keeps the title and author it was kept
// for; one whose book was retitled by hand, or whose number now holds
// another book, is kept for a look and written back, never attached.
TEST_F(DetailsCatalogueTest, ARowAttachesOnlyToTheBookItWasKeptFor)
{
    std::vector<TItem> books = Numbered(3);
    WriteDatabase(FileOf(books));
    const std::vector<TDetailsRow> rows = {
        {1, DetailsFile::Fingerprint(books[0]), DetailsOf({{"isbn", "9780552131070"}})},
        {2, DetailsFile::Fingerprint(Item(2, "Another title")), DetailsOf({{"rating", "5"}})},
        {9, "00000000", DetailsOf({{"series", "Gone"}})},
    };
    Folder.WriteFile("books.orbl.details", DetailsFile::Format(rows));
    auto catalogue = Open();
    EXPECT_EQ(catalogue->Database().ItemAt(0).Details.Value("isbn"), "9780552131070");
    EXPECT_TRUE(catalogue->Database().ItemAt(1).Details.Empty());
    ASSERT_EQ(catalogue->StrayDetails().size(), 2u);
    EXPECT_NE(catalogue->TakeDetailsNote().find("2 books' details no longer match"), std::string::npos);

    // A change keeps the strays in the file; attaching one makes it the book's.
    catalogue->Update(Item(3, "Three"));
    const DetailsFile::TContent written = DetailsFile::Parse(Folder.ReadFile("books.orbl.details"));
    EXPECT_EQ(written.Rows, rows);
    catalogue->AttachStray(2);
    EXPECT_EQ(catalogue->Database().ItemAt(1).Details.Value("rating"), "5");
    catalogue = Open();
    EXPECT_EQ(catalogue->Database().ItemAt(1).Details.Value("rating"), "5");
    EXPECT_EQ(catalogue->StrayDetails().size(), 1u);
}

// An edit of the fields keeps the details, but the own letters of a title or
// author that changed go with the old text; a catalogue without details
// never writes a details file.
TEST_F(DetailsCatalogueTest, AnEditKeepsTheDetailsButNotTheOwnLettersOfAChangedTitle)
{
    WriteDatabase(FileOf(Numbered(2)));
    auto catalogue = Open();
    catalogue->Update(Item(1, "Plain"));
    EXPECT_FALSE(Folder.Exists("books.orbl.details"));
    catalogue->SetDetails(1, DetailsOf({{"title_own", "Pl\xC3\xA4in"}, {"author_own", "A"}, {"rating", "3"}}));
    catalogue->Update(Item(1, "Changed"));
    EXPECT_EQ(catalogue->Database().ItemAt(0).Details, DetailsOf({{"author_own", "A"}, {"rating", "3"}}));
    catalogue->ReplaceWhere("Book author", "", "Someone");
    EXPECT_EQ(catalogue->Database().ItemAt(0).Details, DetailsOf({{"rating", "3"}}));
    catalogue = Open();
    EXPECT_EQ(catalogue->Database().ItemAt(0).Details, DetailsOf({{"rating", "3"}}));
}

// A details file that cannot be read is never replaced: changes without
// details go on, a change of details is refused before anything is written.
TEST_F(DetailsCatalogueTest, AnUnreadableDetailsFileIsLeftAsItIs)
{
    WriteDatabase(FileOf(Numbered(2)));
    ASSERT_TRUE(QDir(Folder.Path()).mkdir("books.orbl.details"));
    auto catalogue = Open();
    EXPECT_NE(catalogue->TakeDetailsNote().find("could not be read"), std::string::npos);
    catalogue->Update(Item(1, "Retitled"));
    EXPECT_NE(DatabaseBytes().find("Retitled"), std::string::npos);
    const std::string before = DatabaseBytes();
    TDetails details;
    details.Set("rating", "2");
    EXPECT_THROW(catalogue->SetDetails(2, details), EInOutError);
    EXPECT_EQ(DatabaseBytes(), before);
    EXPECT_TRUE(QFileInfo(Folder.Path() + "/books.orbl.details").isDir());
}

} // namespace
