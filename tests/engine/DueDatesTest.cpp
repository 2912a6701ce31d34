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

TEST(DueDatesFollow, NewLoansGetADueDateEndedOrChangedLoansLoseTheirs)
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    using TKind = TBookChangeKind;
    const auto change = [](TKind kind, std::optional<TItem> before, std::optional<TItem> after) {
        const int32_t id = before ? before->ID : after->ID;
        return TBookChange{kind, {{id, std::move(before), std::move(after)}}};
    };
    TDueDates::TRows rows;
    EXPECT_TRUE(TDueDates::Follow(rows, change(TKind::Lent, Item(1), Lent(1, "Ann", "2/20/24")), 14, Today));
    EXPECT_EQ(rows.at(1).Due, QDate(2024, 3, 5));
    // The same loan, another field changed: the due date stays (also one set by hand).
    rows.at(1).Due = QDate(2024, 4, 1);
    TItem retitled = Lent(1, "Ann", "2/20/24");
    retitled.Fields[0] = "New title";
    EXPECT_FALSE(TDueDates::Follow(rows, change(TKind::Updated, Lent(1, "Ann", "2/20/24"), retitled), 14, Today));
    EXPECT_EQ(rows.at(1).Due, QDate(2024, 4, 1));
    // Another loaner typed over the loan: a new loan, from the period.
    EXPECT_TRUE(TDueDates::Follow(rows, change(TKind::Updated, retitled, Lent(1, "Bob", "2/20/24")), 7, Today));
    EXPECT_EQ(rows.at(1), (TDueDates::TRow{"Bob", "2/20/24", QDate(2024, 2, 27)}));
    // Without a period a new loan has none, never the last loan's.
    EXPECT_TRUE(
        TDueDates::Follow(rows, change(TKind::Updated, Lent(1, "Bob", "2/20/24"), Lent(1, "Bob", "3/1/24")), 0, Today));
    EXPECT_TRUE(rows.empty());
    TDueDates::Follow(rows, change(TKind::Lent, Item(2), Lent(2, "Ann", "3/1/24")), 14, Today);
    TDueDates::Follow(rows, change(TKind::Lent, Item(3), Lent(3, "Ann", "3/1/24")), 14, Today);
    EXPECT_TRUE(
        TDueDates::Follow(rows, change(TKind::Returned, Lent(2, "Ann", "3/1/24"), Lent(2, "Ann", "")), 14, Today));
    EXPECT_TRUE(TDueDates::Follow(rows, change(TKind::Removed, Lent(3, "Ann", "3/1/24"), std::nullopt), 14, Today));
    EXPECT_TRUE(rows.empty());

    // Kept among the returned loans, a loan that comes back (an undo of the
    // return) has its own due date again, whatever the period; a new loan has
    // the period's.
    rows = {{4, {"Ann", "3/1/24", QDate(2024, 4, 1)}}};
    TDueDates::TReturnedRows returned;
    TDueDates::Follow(rows, change(TKind::Returned, Lent(4, "Ann", "3/1/24"), Lent(4, "Ann", "")), 14, Today,
                      &returned);
    EXPECT_EQ(returned, (TDueDates::TReturnedRows{{4, {"Ann", "3/1/24", QDate(2024, 4, 1)}}}));
    std::string note;
    TDueDates::TReturnedRows read;
    EXPECT_EQ(TDueDates::Parse(TDueDates::Format(rows, returned), note, "b.due", &read), rows);
    EXPECT_EQ(read, returned);
    TDueDates::Follow(rows, change(TKind::Undone, Lent(4, "Ann", ""), Lent(4, "Ann", "3/1/24")), 0, Today, &returned);
    EXPECT_EQ(rows.at(4).Due, QDate(2024, 4, 1));
    EXPECT_TRUE(returned.empty());
    TDueDates::Follow(rows, change(TKind::Returned, Lent(4, "Ann", "3/1/24"), Lent(4, "Ann", "")), 14, Today,
                      &returned);
    TDueDates::Follow(rows, change(TKind::Lent, Lent(4, "Ann", ""), Lent(4, "Ann", "3/2/24")), 14, Today, &returned);
    EXPECT_EQ(rows.at(4).Due, QDate(2024, 3, 16));
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

TEST_F(DueDatesTest, ALoansDueDateSurvivesARestartButNotALoanChangedByHand)
{
    OpenCatalogue({Item(1), Item(2)}, "14");
    EXPECT_EQ(Dues->Period(), 14);
    Catalogue->Lend(1, "Ann", "2/20/24");
    Catalogue->Lend(2, "Bob", "3/1/24");
    Dues->SetDue(Lent(2, "Bob", "3/1/24"), QDate(2024, 3, 31));
    EXPECT_EQ(Folder.ReadFile("books.orbl.due"), "Volumnia due dates\r\n1\tAnn\t2/20/24\t2024-03-05\r\n"
                                                 "2\tBob\t3/1/24\t2024-03-31\r\n");

    // Another program types another loaner into book 1 while Volumnia is closed.
    OpenCatalogue({Lent(1, "Carl", "2/20/24"), Lent(2, "Bob", "3/1/24")}, "14");
    EXPECT_EQ(Dues->Due(Catalogue->Database().ItemAt(0)), std::nullopt);
    EXPECT_EQ(Dues->Due(Catalogue->Database().ItemAt(1)), QDate(2024, 3, 31));
    EXPECT_EQ(Dues->TakeNote(), "");
    Dues->SetDue(Lent(2, "Bob", "3/1/24"), std::nullopt);
    EXPECT_EQ(Dues->Due(Catalogue->Database().ItemAt(1)), std::nullopt);
}

TEST_F(DueDatesTest, AnInstallationWithoutThePeriodGivesNoDueDatesAndADamagedFileOneNote)
{
    OpenCatalogue({Item(1), Lent(2, "Bob", "3/1/24")}, "");
    Folder.WriteFile("books.orbl.due", "garbage\r\n");
    EXPECT_EQ(Dues->Period(), 0);
    EXPECT_EQ(Dues->Due(Catalogue->Database().ItemAt(1)), std::nullopt);
    EXPECT_EQ(Dues->TakeNote(), "The due dates file books.orbl.due is damaged; the due dates are lost. The file as "
                                "it was is kept as books.orbl.due.damaged.");
    EXPECT_EQ(Dues->TakeNote(), "");
    Catalogue->Lend(1, "Ann", "2/20/24");
    EXPECT_EQ(Folder.ReadFile("books.orbl.due"), "garbage\r\n"); // nothing to save: no loan got a due date
    EXPECT_EQ(Folder.ReadFile("books.orbl.due.damaged"), "garbage\r\n");
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

TEST_F(DueDatesTest, ADamagedFileIsKeptAsideUnderAFreeNameBeforeTheNextLoanRewritesIt)
{
    OpenCatalogue({Item(1), Lent(2, "Bob", "3/1/24")}, "14");
    const std::string damaged = "Volumnia due dates\r\n2\tBob\t3/1/24\t2024-03-20\r\n9\tbad\r\n";
    Folder.WriteFile("books.orbl.due", damaged);
    Folder.WriteFile("books.orbl.due.damaged", "an earlier one");
    Catalogue->Lend(1, "Ann", "2/20/24");
    EXPECT_EQ(Dues->TakeNote(), "The due dates file books.orbl.due is damaged; 1 due date is lost. The file as it "
                                "was is kept as books.orbl.due.damaged-2.");
    EXPECT_EQ(Folder.ReadFile("books.orbl.due.damaged"), "an earlier one");
    EXPECT_EQ(Folder.ReadFile("books.orbl.due.damaged-2"), damaged);
    EXPECT_EQ(Folder.ReadFile("books.orbl.due"), "Volumnia due dates\r\n1\tAnn\t2/20/24\t2024-03-05\r\n"
                                                 "2\tBob\t3/1/24\t2024-03-20\r\n");
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
    EXPECT_EQ(Folder.ReadFile("books.orbl.due"), "Volumnia due dates\r\n1\tAnn\t2/20/24\t2024-03-05\r\n");
}

// A saved due-dates file keeps its own mode, not the database's; a new one
// takes the database's whatever the umask; a link at its name is refused and
// its target kept.
TEST_F(DueDatesTest, TheDueDatesFileKeepsItsOwnModeAndIsNeverWrittenThroughALink)
{
    OpenCatalogue({Item(1), Item(2)}, "14");
    ASSERT_EQ(chmod("books.orbl", 0664), 0);
    const mode_t umaskBefore = ::umask(077);
    Catalogue->Lend(1, "Ann", "2/20/24");
    ::umask(umaskBefore);
    struct stat info = {};
    ASSERT_EQ(stat("books.orbl.due", &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0664u);
    ASSERT_EQ(chmod("books.orbl.due", 0600), 0);
    Catalogue->Lend(2, "Bob", "3/1/24");
    ASSERT_EQ(stat("books.orbl.due", &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    ASSERT_EQ(rename("books.orbl.due", "kept.txt"), 0);
    ASSERT_EQ(symlink("kept.txt", "books.orbl.due"), 0);
    const std::string kept = Folder.ReadFile("kept.txt");
    EXPECT_NE(ErrorOf<EInOutError>([&] {
                  Dues->SetDue(Lent(2, "Bob", "3/1/24"), QDate(2024, 4, 1));
              }).find("books.orbl.due is a symbolic link"),
              std::string::npos);
    EXPECT_EQ(Folder.ReadFile("kept.txt"), kept);
}
