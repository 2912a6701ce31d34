// The due dates beside the database: the due arithmetic under several
// locales, the side file's damaged and mismatched rows, and how the rows
// follow the catalogue's loans, returns and loans changed outside.
#include "engine/Catalogue.h"
#include "engine/DueDates.h"
#include "platform/EInOutError.h"
#include "settings/RFileSystem.h"
#include "tests/engine/EngineFixture.h"

#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

using namespace EngineTest;

namespace {

TItem Lent(int32_t id, const std::string& loaner, const std::string& date)
{
    TItem book = Item(id, "Title " + std::to_string(id));
    book.Fields[6] = loaner;
    book.Fields[7] = date;
    return book;
}

const QDate Today(2024, 3, 5);

} // namespace

TEST(DueDatesArithmetic, LoanDatePlusPeriodAcrossMonthEndsLeapDaysAndLocales)
{
    struct TCase {
        QLocale Locale;
        std::string Date;
        int Period;
        QDate Due; // invalid: none
    };
    const TCase cases[] = {
        {QLocale(QLocale::English, QLocale::UnitedStates), "1/31/24", 30, QDate(2024, 3, 1)}, // leap February
        {QLocale(QLocale::English, QLocale::UnitedStates), "1/31/23", 30, QDate(2023, 3, 2)},
        {QLocale(QLocale::English, QLocale::UnitedStates), "12/25/99", 14, QDate(2000, 1, 8)}, // two-digit year
        {QLocale(QLocale::English, QLocale::UnitedKingdom), "31/01/2024", 29, QDate(2024, 2, 29)},
        {QLocale(QLocale::German, QLocale::Germany), "29.02.24", 365, QDate(2025, 2, 28)},
        {QLocale(QLocale::German, QLocale::Germany), "29.02.2024", 1, QDate(2024, 3, 1)}, // year in full
        {QLocale::c(), "2024-02-20", 14, QDate(2024, 3, 5)},                              // ISO in any locale
        {QLocale::c(), QLocale::c().toString(QDate(2024, 2, 1), QLocale::ShortFormat).toStdString(), 28,
         QDate(2024, 2, 29)},
        {QLocale(QLocale::Finnish, QLocale::Finland), "1.3.2024", 14, QDate(2024, 3, 15)},
        {QLocale(QLocale::English, QLocale::UnitedStates), "31/1/24", 14, QDate()}, // not a US date
        {QLocale(QLocale::English, QLocale::UnitedStates), "last week", 14, QDate()},
        {QLocale(QLocale::English, QLocale::UnitedStates), "1/31/24", 0, QDate()},      // no period
        {QLocale(QLocale::Arabic, QLocale::Egypt), "20/2/2024", 14, QDate(2024, 3, 5)}, // as Today writes it
        {QLocale(QLocale::Finnish, QLocale::Finland), "25.12.9999", 14, QDate()},       // past 9999: unwritable
    };
    for (const TCase& c : cases) {
        QLocale::setDefault(c.Locale);
        const std::optional<QDate> due = TDueDates::DueFor(c.Date, c.Period, Today);
        EXPECT_EQ(due.value_or(QDate()), c.Due) << c.Locale.name().toStdString() << " " << c.Date;
    }
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

TEST(DueDatesFile, DamagedRowsAreDroppedWithOneNoteAndTextsSurviveTheRoundTrip)
{
    const TDueDates::TRows rows = {{1, {"Liisa\tK\\", "1/2/24", QDate(2024, 1, 16)}},
                                   {-7, {"", "x", QDate(2024, 2, 29)}}};
    std::string note;
    EXPECT_EQ(TDueDates::Parse(TDueDates::Format(rows), note, "b.due"), rows);
    EXPECT_EQ(note, "");

    const std::string file = "Volumnia due dates\r\n"
                             "3\tAnn\t1/2/24\t2024-01-16\r\n"
                             "x4\tBob\t1/2/24\t2024-01-16\r\n"   // bad ID
                             "5\tCarl\t1/2/24\r\n"               // a field short
                             "6\tDora\t1/2/24\t2024-02-30\r\n"   // no such day
                             "7\tEve\\x\t1/2/24\t2024-01-16\r\n" // bad escape
                             "3\tAnn\t1/3/24\t2024-01-17\r\n"    // the ID again
                             "8\tFay\t1/2/24\t2024-01-16";       // last line without its end
    const TDueDates::TRows read = TDueDates::Parse(file, note, "b.due");
    EXPECT_EQ(read.size(), 2u);
    EXPECT_EQ(read.at(3).Due, QDate(2024, 1, 16));
    EXPECT_EQ(read.at(8).Loaner, "Fay");
    EXPECT_EQ(note, "The due dates file b.due is damaged; 5 due dates are lost.");

    for (const std::string& bad : {std::string("3\tAnn\t1/2/24\t2024-01-16\r\n"), std::string("\x89PNG\r\n\x1a")}) {
        note.clear();
        EXPECT_TRUE(TDueDates::Parse(bad, note, "b.due").empty());
        EXPECT_EQ(note, "The due dates file b.due is damaged; the due dates are lost.");
    }
}

// The rule the catalogue asks before a change is saved: what a book's "due"
// becomes, from the book before (none: a new book) and after.
TEST(DueDatesRule, ANewLoanTakesThePeriodTheSameLoanKeepsItsDueAnEndedOneLosesIt)
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const auto with = [](TItem book, const char* due) {
        book.Details.Set("isbn", "9780552131070");
        book.Details.Set("due", due);
        return book;
    };
    const struct {
        const char* What;
        std::optional<TItem> Before;
        TItem After;
        int Period;
        const char* Due;
    } cases[] = {
        {"a new loan", Item(1), Lent(1, "Ann", "2/20/24"), 14, "2024-03-05"},
        {"a new loan without a period", Item(1), Lent(1, "Ann", "2/20/24"), 0, ""},
        {"another field changed", with(Lent(1, "Ann", "2/20/24"), "2024-04-01"),
         with(Lent(1, "Ann", "2/20/24"), "2024-04-01"), 14, "2024-04-01"},
        {"a hand-set due date", with(Lent(1, "Ann", "2/20/24"), "2024-04-01"),
         with(Lent(1, "Ann", "2/20/24"), "2024-05-01"), 14, "2024-05-01"},
        {"a name put right", with(Lent(1, "Tom Baker", "2/20/24"), "2024-04-01"),
         with(Lent(1, "Thomas Baker", "2/20/24"), "2024-04-01"), 14, "2024-04-01"},
        {"the day written another way", with(Lent(1, "Tom Baker", "15.10.2026"), "2026-12-10"),
         with(Lent(1, "Tom Baker", "2026-10-15"), "2026-12-10"), 14, "2026-12-10"},
        {"another day: a new loan", with(Lent(1, "Bob", "2/20/24"), "2024-04-01"),
         with(Lent(1, "Bob", "3/1/24"), "2024-04-01"), 7, "2024-03-08"},
        {"another day without a period", with(Lent(1, "Bob", "2/20/24"), "2024-04-01"),
         with(Lent(1, "Bob", "3/1/24"), "2024-04-01"), 0, ""},
        {"returned", with(Lent(1, "Ann", "3/1/24"), "2024-04-01"), with(Lent(1, "Ann", ""), "2024-04-01"), 14, ""},
        {"lent again the same day after a return", with(Lent(1, "Ann", ""), ""), with(Lent(1, "Ann", "3/1/24"), ""), 14,
         "2024-03-15"},
        {"an import's own due date", std::nullopt, with(Lent(7, "Eve", "3/1/24"), "2024-03-09"), 14, "2024-03-09"},
        {"an import's loan without one", std::nullopt, Lent(7, "Eve", "3/1/24"), 14, "2024-03-15"},
        {"removed", with(Lent(1, "Ann", "3/1/24"), "2024-04-01"), with(Item(1), "2024-04-01"), 14, ""},
        {"a book not lent keeps what it is given", Item(1), with(Item(1), "2024-04-01"), 14, "2024-04-01"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        TItem after = c.After;
        TDueDates::Shape(c.Before ? &*c.Before : nullptr, after, c.Period, Today);
        EXPECT_EQ(after.Details.Value("due"), c.Due);
        EXPECT_EQ(after.Details.Value("isbn"), c.After.Details.Value("isbn")); // the other details stay
    }
}

class DueDatesTest : public TEngineFixture {
protected:
    void OpenCatalogue(const std::vector<TItem>& books, const std::string& period)
    {
        std::vector<std::string> lines = SettingsLines();
        if (!period.empty())
            lines.insert(lines.end(), {TDueDates::PeriodKey, period, "vInteger"});
        WriteSettings(lines);
        WriteDatabase(FileOf(books));
        Dues.reset();
        auto settings = std::make_unique<TRFileSystem>("volumnia.kelt");
        auto database = std::make_unique<TDatabase>(*settings);
        Catalogue = std::make_unique<TCatalogue>(std::move(settings), std::move(database));
        Dues = std::make_unique<TDueDates>(*Catalogue, [] { return Today; });
    }
    std::unique_ptr<TCatalogue> Catalogue;
    std::unique_ptr<TDueDates> Dues;
};

TEST_F(DueDatesTest, ALoansDueDateIsADetailSavedWithTheLoanAndSurvivesARestart)
{
    OpenCatalogue({Item(1), Item(2)}, "14");
    EXPECT_EQ(Dues->Period(), 14);
    Catalogue->Lend(1, "Ann", "2/20/24");
    Catalogue->Lend(2, "Bob", "3/1/24");
    Dues->SetDue(Lent(2, "Bob", "3/1/24"), QDate(2024, 3, 31));
    EXPECT_EQ(Catalogue->Database().ItemAt(0).Details.Value("due"), "2024-03-05");
    EXPECT_FALSE(Folder.Exists("books.orbl.due")); // never written
    const std::string details = Folder.ReadFile("books.orbl.details");

    WriteSettings(SettingsLines()); // the period gone: the due dates stay
    Dues.reset();
    auto settings = std::make_unique<TRFileSystem>("volumnia.kelt");
    auto database = std::make_unique<TDatabase>(*settings);
    Catalogue = std::make_unique<TCatalogue>(std::move(settings), std::move(database));
    Dues = std::make_unique<TDueDates>(*Catalogue, [] { return Today; });
    EXPECT_EQ(Dues->Due(Catalogue->Database().ItemAt(0)), QDate(2024, 3, 5));
    EXPECT_EQ(Dues->Due(Catalogue->Database().ItemAt(1)), QDate(2024, 3, 31));
    EXPECT_EQ(Dues->TakeNote(), "");
    Dues->SetDue(Lent(2, "Bob", "3/1/24"), std::nullopt);
    EXPECT_EQ(Dues->Due(Catalogue->Database().ItemAt(1)), std::nullopt);
    Catalogue->Undo();
    EXPECT_EQ(Folder.ReadFile("books.orbl.details"), details);
}

// An old "<database>.due" gives its loans' due dates to the details once; the
// file stays as it was, and a due date cleared since does not come back.
TEST_F(DueDatesTest, AnOldDueDatesFileMovesIntoTheDetailsOnceAndIsNeverWritten)
{
    const std::string old = "\xEF\xBB\xBFVolumnia due dates\n1\tAnn\t2/20/24\t2024-03-09\n"
                            "2\tBob\t3/1/24\t2024-03-31\n3\tCarl\t1/2/24\t2024-01-20\treturned\n9\tbad\n";
    Folder.WriteFile("books.orbl.due", old);
    OpenCatalogue({Lent(1, "Ann", "2/20/24"), Lent(2, "Bob", "3/1/24"), Item(3)}, "14");
    EXPECT_EQ(Dues->Due(Catalogue->Database().ItemAt(0)), QDate(2024, 3, 9));
    EXPECT_EQ(Dues->ReturnedDue(3, "Carl", "1/2/24"), QDate(2024, 1, 20));
    EXPECT_EQ(Dues->TakeNote(), "The due dates file books.orbl.due is damaged; 1 due date is lost.");
    Dues->SetDue(Lent(1, "Ann", "2/20/24"), std::nullopt); // the next save brings the others in
    EXPECT_NE(Folder.ReadFile("books.orbl.details").find("due dates moved"), std::string::npos);
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run);
        auto settings = std::make_unique<TRFileSystem>("volumnia.kelt");
        auto database = std::make_unique<TDatabase>(*settings);
        Dues.reset();
        Catalogue = std::make_unique<TCatalogue>(std::move(settings), std::move(database));
        Dues = std::make_unique<TDueDates>(*Catalogue, [] { return Today; });
        EXPECT_EQ(Dues->Due(Catalogue->Database().ItemAt(0)), std::nullopt);
        EXPECT_EQ(Dues->Due(Catalogue->Database().ItemAt(1)),
                  run == 0 ? std::optional<QDate>(QDate(2024, 3, 31)) : std::nullopt);
        EXPECT_EQ(Dues->TakeNote(), ""); // said once, not at every start
        EXPECT_EQ(Dues->ReturnedDue(3, "Carl", "1/2/24"), QDate(2024, 1, 20));
        // The last one cleared too: still none comes back.
        Dues->SetDue(Catalogue->Database().ItemAt(1), std::nullopt);
    }
    EXPECT_EQ(Folder.ReadFile("books.orbl.due"), old);
}

// A details file that cannot be read takes no due dates from the old file
// (every change would be refused): they are shown from it, and changes
// without details are still saved.
TEST_F(DueDatesTest, ADetailsFileThatCannotBeReadLeavesTheOldDueDatesWhereTheyAre)
{
    Folder.WriteFile("books.orbl.due", "Volumnia due dates\r\n1\tAnn\t2/20/24\t2024-03-09\r\n");
    ASSERT_EQ(::mkdir("books.orbl.details", 0700), 0);
    OpenCatalogue({Lent(1, "Ann", "2/20/24"), Item(2)}, "");
    EXPECT_EQ(Dues->Due(Catalogue->Database().ItemAt(0)), QDate(2024, 3, 9));
    EXPECT_FALSE(Catalogue->DueDatesMoved());
    Catalogue->Update(Item(2, "Retitled"));
    EXPECT_EQ(Catalogue->Database().ItemAt(1).Fields[0], "Retitled");
    ::rmdir("books.orbl.details");
}

TEST_F(DueDatesTest, AnInstallationWithoutThePeriodGivesNoDueDatesAndADamagedFileOneNote)
{
    OpenCatalogue({Item(1), Lent(2, "Bob", "3/1/24")}, "");
    Folder.WriteFile("books.orbl.due", "garbage\r\n");
    EXPECT_EQ(Dues->Period(), 0);
    EXPECT_EQ(Dues->Due(Catalogue->Database().ItemAt(1)), std::nullopt);
    EXPECT_EQ(Dues->TakeNote(), "The due dates file books.orbl.due is damaged; the due dates are lost.");
    EXPECT_EQ(Dues->TakeNote(), "");
    Catalogue->Lend(1, "Ann", "2/20/24");
    EXPECT_EQ(Catalogue->Database().ItemAt(0).Details.Value("due"), "");
    EXPECT_EQ(Folder.ReadFile("books.orbl.due"), "garbage\r\n"); // kept as it is, never written
    Dues->SetPeriod(10);
    EXPECT_EQ(TRFileSystem("volumnia.kelt").ReadInteger(TDueDates::PeriodKey), 10);
}

TEST(DueDatesFile, AByteOrderMarkAndLfOrCrAloneReadAsCrLf)
{
    const TDueDates::TRows rows = {{1, {"Ann", "1/2/24", QDate(2024, 1, 16)}}, {2, {"Bob", "x", QDate(2024, 2, 29)}}};
    const std::string lines[] = {"Volumnia due dates", "1\tAnn\t1/2/24\t2024-01-16", "2\tBob\tx\t2024-02-29"};
    for (const std::string& start : {std::string(), std::string("\xEF\xBB\xBF")})
        for (const char* end : {"\r\n", "\n", "\r"}) {
            std::string file = start;
            for (const std::string& line : lines)
                file += line + end;
            std::string note;
            EXPECT_EQ(TDueDates::Parse(file, note, "b.due"), rows) << start.size() << " " << std::strlen(end);
            EXPECT_EQ(note, "");
        }
}

TEST_F(DueDatesTest, ADamagedFileGivesWhatItCanAndStaysAsItIs)
{
    const std::string damaged = "Volumnia due dates\r\n2\tBob\t3/1/24\t2024-03-20\r\n9\tbad\r\n";
    Folder.WriteFile("books.orbl.due", damaged);
    OpenCatalogue({Item(1), Lent(2, "Bob", "3/1/24")}, "14");
    Catalogue->Lend(1, "Ann", "2/20/24");
    EXPECT_EQ(Dues->TakeNote(), "The due dates file books.orbl.due is damaged; 1 due date is lost.");
    EXPECT_EQ(Dues->Due(Catalogue->Database().ItemAt(1)), QDate(2024, 3, 20));
    EXPECT_EQ(Folder.ReadFile("books.orbl.due"), damaged);
    EXPECT_FALSE(Folder.Exists("books.orbl.due.damaged"));
}

// The catalogue tells its side stores before BooksChanged: a window connected
// before the due dates were made still finds a new loan's due date, and due
// dates that are gone are told nothing more.
TEST_F(DueDatesTest, FollowersOfTheCatalogueFindTheDueDateWhateverWasConnectedFirst)
{
    OpenCatalogue({Item(1)}, "14");
    Dues.reset();
    std::optional<QDate> seen;
    const QMetaObject::Connection window = QObject::connect(Catalogue.get(), &TCatalogue::BooksChanged,
                                                            [&] { seen = Dues->Due(Catalogue->Database().ItemAt(0)); });
    Dues = std::make_unique<TDueDates>(*Catalogue, [] { return Today; });
    Catalogue->Lend(1, "Ann", "2/20/24");
    EXPECT_EQ(seen, QDate(2024, 3, 5));
    QObject::disconnect(window);
    Dues.reset();
    Catalogue->Return(1);
    EXPECT_FALSE(Folder.Exists("books.orbl.due"));
}
