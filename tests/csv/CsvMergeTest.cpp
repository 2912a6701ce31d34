/*
 * volumnia-csv merge: a sync tool's conflict copy merged into the catalogue
 * of the working folder. A clash is listed by the dry run and refuses the
 * merge without --prefer, both leaving every file as it was; with --prefer
 * the merge is one change in the history and the copies go aside.
 */
#include "csv/CsvCommand.h"
#include "engine/Catalogue.h"
#include "engine/History.h"
#include "engine/ORBL.h"
#include "settings/RFileSystem.h"
#include "tests/support/DatabaseFile.h"
#include "tests/support/TempWorkingFolder.h"

#include <QLocale>

#include <gtest/gtest.h>

#include <sstream>

namespace {

const TAlias Aliases = {
    "Book title", "Book author", "Publisher", "Year published", "Other information (1)", "Other information (2)",
    "Loaner",     "Date loaned", "Spare one", "Spare two"};

const std::string Copy = "books.sync-conflict-20261208-101010-ABCDEFG.orbl";
const std::string HistoryCopy = "books.orbl.sync-conflict-20261208-101011-ABCDEFG.history";

std::unique_ptr<TCatalogue> Open()
{
    auto settings = std::make_unique<TRFileSystem>("volumnia.kelt");
    auto database = std::make_unique<TDatabase>(*settings);
    auto catalogue = std::make_unique<TCatalogue>(std::move(settings), std::move(database));
    catalogue->ReadCurrentIndex();
    catalogue->EnableHistory("Volumnia");
    return catalogue;
}

TItem Changed(const TCatalogue& catalogue, int32_t id, size_t field, const std::string& text)
{
    TItem book = catalogue.Database().ItemAt(catalogue.Database().SlotOf(id));
    book.Fields[field] = text;
    return book;
}

TEST(CsvMergeTest, AClashIsListedRefusedWithoutAChoiceAndSettledByPrefer)
{
    QLocale::setDefault(QLocale::c());
    TTempWorkingFolder folder;
    std::vector<std::string> lines{"CurrentIndex", "3", "vInteger", "orbl_databasefile", "books.orbl", "vString"};
    for (size_t i = 0; i < Aliases.size(); ++i)
        lines.insert(lines.end(), {"orbl_alias" + std::to_string(i), Aliases[i], "vString"});
    folder.WriteFile("volumnia.kelt", CrLfLines(lines));
    std::vector<TItem> books;
    for (int32_t id = 1; id <= 3; ++id) {
        books.emplace_back();
        books.back().ID = id;
        books.back().Fields[0] = "Title " + std::to_string(id);
    }
    folder.WriteFile("books.orbl", DatabaseFile(books));
    Open()->Update(Changed(*Open(), 1, 2, "Shared"));
    const std::string baseBooks = folder.ReadFile("books.orbl");
    const std::string baseHistory = folder.ReadFile("books.orbl.history");
    {
        // The other computer: book 2's publisher, book 3 lent, a new book.
        auto theirs = Open();
        theirs->Update(Changed(*theirs, 2, 2, "Theirs"));
        theirs->Lend(3, "Ann", "2026-12-08");
        theirs->Add(books[0]);
    }
    folder.WriteFile(Copy, folder.ReadFile("books.orbl"));
    folder.WriteFile(HistoryCopy, folder.ReadFile("books.orbl.history"));
    folder.WriteFile("books.orbl", baseBooks);
    folder.WriteFile("books.orbl.history", baseHistory);
    {
        auto ours = Open();
        ours->Update(Changed(*ours, 2, 2, "Ours"));
        ours->Update(Changed(*ours, 1, 3, "1999"));
    }
    const std::string before = folder.ReadFile("books.orbl") + folder.ReadFile("books.orbl.history");

    const struct {
        std::vector<std::string> Arguments;
        int Code;
        const char* Said;
    } runs[] = {
        {{"merge", "--dry-run", Copy},
         0,
         "Clash: book 2 \"Title 2\", Publisher: here \"Ours\", in the copy \"Theirs\""},
        {{"merge", Copy}, 1, "1 clash (listed above)"},
        {{"merge", "--prefer", "sideways", Copy}, 2, "--prefer takes ours or theirs"},
    };
    for (const auto& run : runs) {
        std::ostringstream out, err;
        EXPECT_EQ(TCsvCommand::Run(run.Arguments, out, err), run.Code) << out.str() << err.str();
        EXPECT_NE((out.str() + err.str()).find(run.Said), std::string::npos) << out.str() << err.str();
        EXPECT_EQ(folder.ReadFile("books.orbl") + folder.ReadFile("books.orbl.history"), before);
        EXPECT_TRUE(folder.Exists(Copy));
    }

    std::ostringstream out, err;
    ASSERT_EQ(TCsvCommand::Run({"merge", "--prefer", "theirs", Copy}, out, err), 0) << err.str();
    const auto merged = Open();
    const TDatabase& database = merged->Database();
    EXPECT_EQ(database.ItemAt(database.SlotOf(1)).Fields[3], "1999");
    EXPECT_EQ(database.ItemAt(database.SlotOf(2)).Fields[2], "Theirs");
    EXPECT_EQ(database.ItemAt(database.SlotOf(3)).Fields[6], "Ann");
    EXPECT_EQ(database.ItemAt(database.SlotOf(5)).Fields[0], "Title 1"); // theirs' book 4, numbered after it
    EXPECT_EQ(database.Count(), 4);
    EXPECT_FALSE(folder.Exists(Copy));
    EXPECT_FALSE(folder.Exists(HistoryCopy));
    EXPECT_TRUE(folder.Exists(".volumnia-merged/" + Copy));
    EXPECT_TRUE(folder.Exists(".volumnia-merged/" + HistoryCopy));
    const std::vector<THistoryEntry> history = THistory("books.orbl").ReadAll();
    ASSERT_FALSE(history.empty());
    EXPECT_EQ(ChangeName(history.back().Change), "Merge (3 books)");
}

} // namespace
