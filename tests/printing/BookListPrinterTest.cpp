// The print run on a recording printer: page geometry, pagination, the three
// options in both formats, and what a failure leaves behind.
#include "engine/Covers.h"
#include "engine/FieldTable.h"
#include "platform/gui/EPrinterError.h"
#include "tests/printing/PrintingFixture.h"
#include "widgets/CoverImage.h"

namespace {

const QString Title = QStringLiteral(".: Book listing :.");

// The y of every book line (texts below the heading, footers excluded) per page.
std::vector<int> BookLineYs(const TRecordingPrintTarget& target, int page, int headingY)
{
    std::vector<int> ys;
    for (const TPrintOp& op : target.Texts(page))
        if (op.Y > headingY && (ys.empty() || ys.back() != op.Y))
            ys.push_back(op.Y);
    return ys;
}

} // namespace

TEST(BookListPrinterGeometry, FontHeightRoundsHalvesAwayFromZero)
{
    struct Case {
        int32_t Points, Dpi;
        int64_t Expected;
    };
    const Case cases[] = {
        {10, 600, 83},  // 83.33
        {14, 600, 117}, // 116.67
        {6, 600, 50},
        {8, 300, 33},                                   // 33.33
        {9, 4, 1},                                      // exactly one half
        {1, 35, 0},                                     // just under one half
        {3, 36, 2},                                     // one and a half
        {-10, 600, 83},                                 // the absolute value
        {14, 2'000'000'000, 388'888'889},               // no 32-bit overflow on the way
        {INT32_MAX, INT32_MAX, 64'051'194'640'728'064}, // nor at the extremes
    };
    for (const Case& c : cases)
        EXPECT_EQ(TBookListPrinter::ScaledFontHeight(c.Points, c.Dpi), c.Expected) << c.Points << " pt at " << c.Dpi;
}

class BookListPrinter : public TPrintingFixture {};

TEST_F(BookListPrinter, LineHeightAndPageLinesFollowTheChosenSizeAndResolution)
{
    struct Case {
        int Size, Dpi, Height, LineHeight, PageLines;
    };
    const Case cases[] = {
        {10, 600, 6814, 116, 54},
        {14, 600, 6814, 163, 37},
        {6, 600, 6814, 70, 93},
        {8, 300, 3407, 46, 70},
    };
    Open(NumberedBooks(1));
    for (const Case& c : cases) {
        TRecordingPrintTarget target(4760, c.Height, c.Dpi);
        const TBookListPrinter run = Run(Options(TPrintChoice::AllBooks, true, c.Size), target);
        EXPECT_EQ(run.LineHeight, c.LineHeight) << c.Size << " pt at " << c.Dpi;
        EXPECT_EQ(run.PageLines, c.PageLines) << c.Size << " pt at " << c.Dpi;
    }
}

TEST_F(BookListPrinter, WorkedExamplePlacesTitleHeadingBooksAndFooter)
{
    Open(NumberedBooks(100));
    TRecordingPrintTarget target(4760, 6814, 600);
    const TBookListPrinter run = Run(Options(TPrintChoice::AllBooks), target);

    ASSERT_EQ(target.Pages(), 3);
    EXPECT_EQ(target.Name, QStringLiteral("Quenfir Volumnia"));
    EXPECT_EQ(target.Ops.front().Kind, TPrintOp::DocumentName);
    EXPECT_EQ(target.Ops.back().Kind, TPrintOp::EndDoc);
    EXPECT_FALSE(target.Open());

    for (int page = 1; page <= 3; ++page) {
        const std::vector<TPrintOp> texts = target.Texts(page);
        ASSERT_GE(texts.size(), 2u);
        EXPECT_EQ(texts[0].Text, Title);
        EXPECT_EQ(texts[0].X, 1000);
        EXPECT_EQ(texts[0].Y, 464);
        EXPECT_EQ(texts[0].Font.Size, 16);
        EXPECT_TRUE(texts[0].Font.Bold);
        EXPECT_EQ(texts[1].Text, QStringLiteral("Book title, Book author, Publisher"));
        EXPECT_EQ(texts[1].X, 20);
        EXPECT_EQ(texts[1].Y, 812);
        EXPECT_EQ(texts[1].Font.Size, 10);
        EXPECT_TRUE(texts[1].Font.Bold);
        for (size_t i = 2; i < texts.size(); ++i) {
            EXPECT_EQ(texts[i].Font.Size, 10);
            EXPECT_FALSE(texts[i].Font.Bold);
        }
    }

    // Page 1: lines 9 to 53; later pages: lines 8 to 53.
    const std::vector<int> page1 = BookLineYs(target, 1, 812);
    ASSERT_EQ(page1.size(), 45u);
    EXPECT_EQ(page1.front(), 1044);
    EXPECT_EQ(page1.back(), 6148);
    const std::vector<int> page2 = BookLineYs(target, 2, 812);
    ASSERT_EQ(page2.size(), 46u);
    EXPECT_EQ(page2.front(), 928);
    EXPECT_EQ(page2.back(), 6148);
    EXPECT_EQ(BookLineYs(target, 3, 812).size(), 9u);
    EXPECT_EQ(target.Texts(1)[2].Text, QStringLiteral("Title 1, Author 1, Publisher 1"));
    EXPECT_EQ(target.Texts(2)[2].Text, QStringLiteral("Title 46, Author 46, Publisher 46"));
    EXPECT_EQ(target.Texts(3).back().Text, QStringLiteral("Title 100, Author 100, Publisher 100"));

    const std::vector<TPrintOp> footers = target.OfKind(TPrintOp::Centred);
    const std::vector<TPrintOp> rules = target.OfKind(TPrintOp::Line);
    ASSERT_EQ(footers.size(), 3u);
    ASSERT_EQ(rules.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(footers[i].Page, i + 1);
        EXPECT_EQ(footers[i].Text, QStringLiteral("Page %1").arg(i + 1));
        EXPECT_EQ(footers[i].Rect, (TPrintRect{20, 6582, 4760, 6698}));
        EXPECT_EQ(footers[i].Font.Size, 10);
        EXPECT_FALSE(footers[i].Font.Bold);
        EXPECT_EQ(rules[i].Page, i + 1);
        EXPECT_EQ(rules[i].X, 0);
        EXPECT_EQ(rules[i].Y, 6580);
        EXPECT_EQ(rules[i].X2, 4760);
        EXPECT_EQ(rules[i].Y2, 6580);
    }
    EXPECT_EQ(run.FooterRect, (TPrintRect{20, 6582, 4760, 6698}));
}

TEST_F(BookListPrinter, PageBreaksExactlyWhenTheLineCounterReachesPageLines)
{
    // PageLines is 54: page 1 holds 45 books, later pages 46.
    struct Case {
        int Books, Pages, LastPageBooks;
    };
    const Case cases[] = {{0, 1, 0}, {1, 1, 1}, {45, 1, 45}, {46, 2, 1}, {91, 2, 46}, {92, 3, 1}};
    for (const Case& c : cases) {
        Open(NumberedBooks(c.Books));
        TRecordingPrintTarget target(4760, 6814, 600);
        Run(Options(TPrintChoice::AllBooks), target);
        EXPECT_EQ(target.Pages(), c.Pages) << c.Books << " books";
        EXPECT_EQ(BookLineYs(target, c.Pages, 812).size(), static_cast<size_t>(c.LastPageBooks)) << c.Books;
        EXPECT_EQ(target.Count(TPrintOp::Centred), c.Pages) << c.Books;
        EXPECT_EQ(target.OfKind(TPrintOp::Centred).back().Text, QStringLiteral("Page %1").arg(c.Pages));
    }
}

TEST_F(BookListPrinter, EmptyListsPrintOnePageWithTitleHeadingAndFooter)
{
    for (TPrintChoice choice : {TPrintChoice::AllBooks, TPrintChoice::LoanedBooks, TPrintChoice::BrowserBooks}) {
        Open(choice == TPrintChoice::LoanedBooks ? NumberedBooks(3) : std::vector<TItem>{});
        TRecordingPrintTarget target;
        Run(Options(choice), target);
        EXPECT_EQ(target.Pages(), 1);
        EXPECT_EQ(target.Texts().size(), 2u) << static_cast<int>(choice);
        EXPECT_EQ(target.OfKind(TPrintOp::Centred).at(0).Text, QStringLiteral("Page 1"));
        EXPECT_EQ(target.Count(TPrintOp::Line), 1);
        EXPECT_EQ(target.Count(TPrintOp::EndDoc), 1);
    }
}

TEST_F(BookListPrinter, LoanedBooksInListFormatWithDefaultColumns)
{
    Open({PrintBook(1, "Dune", "Herbert", "Ace", "Anna", "01.02.2004"), PrintBook(2, "Emma", "Austen", "Penguin"),
          PrintBook(3, "Ulysses", "Joyce", "Bodley", "Ben", "03.04.2004")});
    TRecordingPrintTarget target;
    const TBookListPrinter run = Run(Options(TPrintChoice::LoanedBooks), target);

    const std::vector<TPrintOp> texts = target.Texts(1);
    ASSERT_EQ(texts.size(), 6u);
    EXPECT_EQ(texts[1].Text, QStringLiteral("Book title, Book author, Loaner & date loaned"));
    EXPECT_EQ(texts[1].X, 20);
    EXPECT_EQ(run.Column3Field, "Loaner & date loaned");
    // The book that is not on loan takes no line.
    const std::vector<std::tuple<int, int, QString>> expected = {
        {20, 1044, QStringLiteral("Dune, Herbert")},
        {1800, 1044, QStringLiteral("Anna, 01.02.2004")},
        {20, 1160, QStringLiteral("Ulysses, Joyce")},
        {1800, 1160, QStringLiteral("Ben, 03.04.2004")},
    };
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(texts[i + 2].X, std::get<0>(expected[i]));
        EXPECT_EQ(texts[i + 2].Y, std::get<1>(expected[i]));
        EXPECT_EQ(texts[i + 2].Text, std::get<2>(expected[i]));
    }
}

TEST_F(BookListPrinter, ColumnFormatPlacesEachTextAtItsColumn)
{
    struct Case {
        TPrintChoice Choice;
        std::vector<QString> Heading, Book;
    };
    const std::vector<Case> cases = {
        {TPrintChoice::AllBooks, {"Book title", "Book author", "Publisher"}, {"Dune", "Herbert", "Ace"}},
        {TPrintChoice::LoanedBooks,
         {"Book title", "Book author", "Loaner & date loaned"},
         {"Dune", "Herbert", "Anna, 01.02.2004"}},
        // The headings come from the settings, the data from the browser's
        // columns: author, title, publisher.
        {TPrintChoice::BrowserBooks, {"Book title", "Book author", "Publisher"}, {"Herbert", "Dune", "Ace"}},
    };
    for (const Case& c : cases) {
        Open({PrintBook(1, "Dune", "Herbert", "Ace", "Anna", "01.02.2004")});
        TRecordingPrintTarget target;
        Run(Options(c.Choice, false), target);
        const std::vector<TPrintOp> texts = target.Texts(1);
        ASSERT_EQ(texts.size(), 7u) << static_cast<int>(c.Choice);
        const int xs[] = {20, 950, 1800};
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(texts[1 + i].X, xs[i]);
            EXPECT_EQ(texts[1 + i].Y, 812);
            EXPECT_EQ(texts[1 + i].Text, c.Heading[i]) << static_cast<int>(c.Choice);
            EXPECT_TRUE(texts[1 + i].Font.Bold);
            EXPECT_EQ(texts[4 + i].X, xs[i]);
            EXPECT_EQ(texts[4 + i].Y, 1044);
            EXPECT_EQ(texts[4 + i].Text, c.Book[i]) << static_cast<int>(c.Choice);
            EXPECT_FALSE(texts[4 + i].Font.Bold);
        }
    }
}

TEST_F(BookListPrinter, BrowserRowsInListFormat)
{
    Open({PrintBook(1, "Dune", "Herbert", "Ace"), PrintBook(2, "Emma", "Austen", "Penguin")});
    TRecordingPrintTarget target;
    Run(Options(TPrintChoice::BrowserBooks), target);
    EXPECT_EQ(target.TextStrings(1), (QStringList{Title, "Book title, Book author, Publisher", "Herbert, Dune", "Ace",
                                                  "Austen, Emma", "Penguin"}));
    const std::vector<TPrintOp> texts = target.Texts(1);
    EXPECT_EQ(texts[3].X, 1800);
    EXPECT_EQ(texts[3].Y, texts[2].Y);
}

TEST_F(BookListPrinter, NoOptionPrintsTheBrowserRowsUnderTheStoredThirdHeading)
{
    Settings["pcol3"] = "Year published";
    Open({PrintBook(1, "Dune", "Herbert", "Ace"), PrintBook(2, "Emma", "Austen", "Penguin")});
    Shown = {2, 1}; // the browser's order, not the database's
    TRecordingPrintTarget target;
    const TBookListPrinter run = Run(Options(TPrintChoice::None), target);
    EXPECT_EQ(target.TextStrings(1), (QStringList{Title, "Book title, Book author, Year published", "Austen, Emma",
                                                  "Penguin", "Herbert, Dune", "Ace"}));
    EXPECT_EQ(run.Column3Field, "Year published");
}

TEST_F(BookListPrinter, EmptyMiddleFieldGivesTwoSeparatorsInARow)
{
    Open({PrintBook(1, "Anonymous verse", "", "Folio")});
    TRecordingPrintTarget target;
    Run(Options(TPrintChoice::AllBooks), target);
    EXPECT_EQ(target.TextStrings(1).at(2), QStringLiteral("Anonymous verse, , Folio"));
}

TEST_F(BookListPrinter, WindowsCodePageTextReachesThePrinterAsCharacters)
{
    Open({PrintBook(1, "Caf\xE9 \x93noir\x94", "Bront\xEB", "\x80 Press")});
    TRecordingPrintTarget target;
    Run(Options(TPrintChoice::AllBooks), target);
    EXPECT_EQ(target.TextStrings(1).at(2), QString::fromUtf8("Café “noir”, Brontë, € Press"));
}

TEST_F(BookListPrinter, ChosenSizeSetsOnlyTheLineSpacing)
{
    for (int size : {6, 14}) {
        Open(NumberedBooks(2));
        TRecordingPrintTarget target;
        TPrintOptions options = Options(TPrintChoice::AllBooks, true, size);
        options.Font.Italic = true;
        options.Font.Bold = true;
        const TBookListPrinter run = Run(options, target);
        const std::vector<TPrintOp> texts = target.Texts(1);
        ASSERT_EQ(texts.size(), 4u);
        EXPECT_EQ(texts[0].Font.Size, 16);
        for (size_t i = 1; i < texts.size(); ++i)
            EXPECT_EQ(texts[i].Font.Size, 10) << size;
        EXPECT_EQ(texts[3].Y - texts[2].Y, run.LineHeight);
        EXPECT_EQ(texts[2].Y, 9 * run.LineHeight);
        // The header sets bold and takes it away again; other style stays.
        EXPECT_TRUE(texts[1].Font.Bold);
        EXPECT_FALSE(texts[2].Font.Bold);
        EXPECT_TRUE(texts[2].Font.Italic);
        EXPECT_EQ(texts[2].Font.Face, QStringLiteral("MS Sans Serif"));
    }
}

TEST_F(BookListPrinter, EveryRunReadsTheSettingsAfresh)
{
    Open(NumberedBooks(1));
    TBookListPrinter printer(*Database, *Store, Browser(), Options(TPrintChoice::AllBooks));
    TRecordingPrintTarget first;
    printer.ReadSettings();
    printer.Print(first);
    Store->WriteString("pcol1", "Publisher");
    Store->WriteInteger("pcol1_dst", 300);
    TRecordingPrintTarget second;
    printer.ReadSettings();
    printer.Print(second);
    EXPECT_EQ(first.Texts(1).at(2).Text, QStringLiteral("Title 1, Author 1, Publisher 1"));
    EXPECT_EQ(second.Texts(1).at(1).Text, QStringLiteral("Publisher, Book author, Publisher"));
    EXPECT_EQ(second.Texts(1).at(2).Text, QStringLiteral("Publisher 1, Author 1, Publisher 1"));
    EXPECT_EQ(second.Texts(1).at(2).X, 300);
}

TEST_F(BookListPrinter, SearchResultInTheBrowserPrintsOnlyItsRows)
{
    Open(NumberedBooks(5));
    Shown.resize(2); // the browser shows two books found
    TRecordingPrintTarget target;
    Run(Options(TPrintChoice::BrowserBooks), target);
    EXPECT_EQ(target.TextStrings(1), (QStringList{Title, "Book title, Book author, Publisher", "Author 1, Title 1",
                                                  "Publisher 1", "Author 2, Title 2", "Publisher 2"}));
}

TEST_F(BookListPrinter, UnknownColumnNameStopsTheRunAndClosesTheDocument)
{
    struct Case {
        const char* Key;
        TPrintChoice Choice;
        bool Fails;
    };
    const Case cases[] = {
        {"pcol1", TPrintChoice::AllBooks, true},
        {"pcol3", TPrintChoice::AllBooks, true},
        {"pcol2", TPrintChoice::LoanedBooks, true},
        // The loaned option looks up only the first two columns, the browser none.
        {"pcol3", TPrintChoice::LoanedBooks, false},
        {"pcol1", TPrintChoice::BrowserBooks, false},
    };
    for (const Case& c : cases) {
        Settings = DefaultSettings();
        Settings[c.Key] = "Titel";
        std::vector<TItem> books = NumberedBooks(60);
        books[50].Fields[6] = "Anna";
        books[50].Fields[7] = "01.02.2004";
        Open(books);
        TRecordingPrintTarget target;
        TBookListPrinter printer(*Database, *Store, Browser(), Options(c.Choice));
        printer.ReadSettings();
        if (!c.Fails) {
            EXPECT_NO_THROW(printer.Print(target)) << c.Key;
            continue;
        }
        try {
            printer.Print(target);
            ADD_FAILURE() << c.Key << ": no error";
        } catch (const std::exception& error) {
            EXPECT_STREQ(error.what(), "#101: Supplied field was invalid or alias bad.");
        }
        EXPECT_FALSE(target.Open()) << c.Key;
        EXPECT_EQ(target.Count(TPrintOp::Abort), 1);
        EXPECT_EQ(target.Count(TPrintOp::EndDoc), 0);
        // The first book printed fails (for the loaned option the one loaned
        // book, far down the list): only the title and heading were drawn.
        EXPECT_EQ(target.Texts().size(), 2u) << c.Key;
    }
}

TEST_F(BookListPrinter, PrinterFailureMidRunClosesTheDocumentAndReachesTheCaller)
{
    Open(NumberedBooks(100));
    TRecordingPrintTarget target;
    target.FailAtPage = 2;
    TBookListPrinter printer(*Database, *Store, Browser(), Options(TPrintChoice::AllBooks));
    printer.ReadSettings();
    EXPECT_THROW(printer.Print(target), EPrinterError);
    EXPECT_FALSE(target.Open());
    EXPECT_EQ(target.Ops.back().Kind, TPrintOp::Abort);

    // The same printer takes the next run.
    target.FailAtPage = 0;
    target.Ops.clear();
    EXPECT_NO_THROW(printer.Print(target));
    EXPECT_EQ(target.Pages(), 3);
}

TEST_F(BookListPrinter, SettingsErrorsStopTheRunBeforeThePrinterIsUsed)
{
    struct Case {
        const char* Key;
        const char* Value; // nullptr removes the key
        const char* Message;
    };
    const Case cases[] = {
        {"pcol2", nullptr, "#105: Supplied value name not found."},
        {"pcol3_dst", nullptr, "#105: Supplied value name not found."},
        {"pcol2_dst", "wide", "'wide' is not a valid integer value"},
    };
    for (const Case& c : cases) {
        Settings = DefaultSettings();
        if (c.Value)
            Settings[c.Key] = c.Value;
        else
            Settings.erase(c.Key);
        Open(NumberedBooks(1));
        TBookListPrinter printer(*Database, *Store, Browser(), Options(TPrintChoice::AllBooks));
        try {
            printer.ReadSettings();
            ADD_FAILURE() << c.Key << ": no error";
        } catch (const std::exception& error) {
            EXPECT_STREQ(error.what(), c.Message) << c.Key;
        }
    }
}

TEST_F(BookListPrinter, PageTooShortForTheListIsRefusedBeforeTheDocumentBegins)
{
    Open(NumberedBooks(3));
    // 13 lines of 116 fit in 1508 pixels: the smallest page that can break.
    TRecordingPrintTarget fits(4760, 1508, 600);
    const TBookListPrinter run = Run(Options(TPrintChoice::AllBooks), fits);
    EXPECT_EQ(run.PageLines, 9);
    EXPECT_EQ(fits.Pages(), 4); // page 1 holds no book, each later page one
    EXPECT_FALSE(fits.Open());

    for (int height : {1507, 0}) {
        TRecordingPrintTarget tooShort(4760, height, 600);
        EXPECT_THROW(Run(Options(TPrintChoice::AllBooks), tooShort), EPrinterError) << height;
        EXPECT_EQ(tooShort.Count(TPrintOp::BeginDoc), 0) << height;
    }
    TRecordingPrintTarget hugeResolution(4760, 6814, INT32_MAX);
    EXPECT_THROW(Run(Options(TPrintChoice::AllBooks), hugeResolution), EPrinterError);
    TRecordingPrintTarget noResolution(4760, 6814, 0);
    EXPECT_THROW(Run(Options(TPrintChoice::AllBooks), noResolution), EPrinterError);
    EXPECT_EQ(noResolution.Count(TPrintOp::BeginDoc), 0);
}

TEST_F(BookListPrinter, PrinterThatCannotBeginLeavesNothingOpen)
{
    Open(NumberedBooks(3));
    TRecordingPrintTarget target;
    target.FailBegin = true;
    EXPECT_THROW(Run(Options(TPrintChoice::AllBooks), target), EPrinterError);
    EXPECT_FALSE(target.Open());
    EXPECT_EQ(target.Texts().size(), 0u);
}

TEST_F(BookListPrinter, EachCellEndsWhereTheNextColumnBeginsAndColumnsOffThePageAreLeftOut)
{
    // Cells as (x, right edge) in drawing order: the heading line, then the
    // first book's line, on a page 4760 pixels wide.
    using TCells = std::vector<std::pair<int, int>>;
    struct Case {
        const char* Name;
        TPrintChoice Choice;
        bool ListFormat;
        int X1, X2, X3;
        TCells Heading, Book;
    };
    const Case cases[] = {
        {"installed columns", TPrintChoice::AllBooks, false, 20, 950, 1800,
         TCells{{20, 950}, {950, 1800}, {1800, 4760}}, TCells{{20, 950}, {950, 1800}, {1800, 4760}}},
        {"columns in reverse order", TPrintChoice::AllBooks, false, 1800, 950, 20,
         TCells{{1800, 4760}, {950, 1800}, {20, 950}}, TCells{{1800, 4760}, {950, 1800}, {20, 950}}},
        {"two columns at one place: the later one prints", TPrintChoice::AllBooks, false, 20, 20, 1800,
         TCells{{20, 1800}, {1800, 4760}}, TCells{{20, 1800}, {1800, 4760}}},
        {"left of the page and beyond its right edge", TPrintChoice::AllBooks, false, -1000, 950, 12345,
         TCells{{950, 4760}}, TCells{{950, 4760}}},
        {"right edge itself is off the page", TPrintChoice::BrowserBooks, false, 0, 4760, 4759,
         TCells{{0, 4759}, {4759, 4760}}, TCells{{0, 4759}, {4759, 4760}}},
        {"list format, one text a line", TPrintChoice::AllBooks, true, 20, 950, 1800, TCells{{20, 4760}},
         TCells{{20, 4760}}},
        {"list format, loan beside the book", TPrintChoice::LoanedBooks, true, 20, 950, 1800, TCells{{20, 4760}},
         TCells{{20, 1800}, {1800, 4760}}},
        {"list format, publisher left of the book", TPrintChoice::BrowserBooks, true, 900, 950, 30, TCells{{900, 4760}},
         TCells{{900, 4760}, {30, 900}}},
    };
    for (const Case& c : cases) {
        Settings = DefaultSettings();
        Settings["pcol1_dst"] = std::to_string(c.X1);
        Settings["pcol2_dst"] = std::to_string(c.X2);
        Settings["pcol3_dst"] = std::to_string(c.X3);
        Open({PrintBook(1, "Dune", "Herbert", "Ace", "Anna", "01.02.2004")});
        TRecordingPrintTarget target; // raises on a cell outside the printable width
        ASSERT_NO_THROW(Run(Options(c.Choice, c.ListFormat), target)) << c.Name;
        TCells heading, book;
        for (const TPrintOp& op : target.Texts(1)) {
            if (op.Y == 812)
                heading.emplace_back(op.X, op.X2);
            else if (op.Y == 1044)
                book.emplace_back(op.X, op.X2);
        }
        EXPECT_EQ(heading, c.Heading) << c.Name;
        EXPECT_EQ(book, c.Book) << c.Name;
        EXPECT_EQ(target.Count(TPrintOp::EndDoc), 1) << c.Name;
    }

    // The title at 1000 does not fit a page 1000 pixels wide; the rest prints.
    Settings = DefaultSettings();
    Open(NumberedBooks(1));
    TRecordingPrintTarget narrow(1000, 6814, 600);
    Run(Options(TPrintChoice::AllBooks), narrow);
    EXPECT_EQ(narrow.TextStrings(1),
              (QStringList{"Book title, Book author, Publisher", "Title 1, Author 1, Publisher 1"}));
}

namespace {

// With covers printed each book spans three lines with its cover at the
// right edge, the texts ending before it; a book's lines never straddle a
// page break; a book without a cover, or whose file is gone, prints none.
TEST_F(BookListPrinter, CoversPrintAtTheRightOfTheirBooksThreeLinesEach)
{
    Open(NumberedBooks(16));
    QImage picture(400, 600, QImage::Format_RGB32);
    picture.fill(Qt::gray);
    const std::string jpeg = CoverImage::Jpeg(picture);
    for (int32_t slot = 0; slot < 16; ++slot) {
        if (slot == 2)
            continue; // book 3 has none
        TDetails details;
        details.Set(FieldTable::CoverKey, Covers::Store("books.orbl", slot + 1, jpeg));
        Database->SetDetails(slot, details);
    }
    TDetails gone;
    gone.Set(FieldTable::CoverKey, "2-00000000.jpg");
    Database->SetDetails(1, gone);
    TPrintOptions options = Options(TPrintChoice::AllBooks);
    options.Covers = true;
    TRecordingPrintTarget target(4760, 6814, 600);
    Run(options, target);

    // LineHeight 116, PageLines 54: page 1 holds books on lines 9, 12 ... 51
    // (15 books), page 2 the last on line 8, its cover lines fitting no more.
    const std::vector<TPrintOp> covers = target.OfKind(TPrintOp::Picture);
    ASSERT_EQ(covers.size(), 14u);
    EXPECT_EQ(target.Pages(), 2);
    EXPECT_EQ(covers[0].Y, 9 * 116);
    EXPECT_EQ(covers[1].Y, 18 * 116) << "book 2's file is gone, book 3 has none";
    EXPECT_EQ(covers.back().Page, 2);
    EXPECT_EQ(covers.back().Y, 8 * 116);
    for (const TPrintOp& cover : covers) {
        EXPECT_EQ(cover.X2, 4760);
        EXPECT_LE(cover.Y2 - cover.Y, 3 * 116);
    }
    for (const TPrintOp& text : target.Texts()) {
        if (text.Y > 812) {
            EXPECT_LE(text.X2, covers[0].X) << text.Text.toStdString();
        }
    }
    EXPECT_EQ(BookLineYs(target, 2, 812), std::vector<int>{8 * 116});

    // Off, as the dialog starts: one line a book, and no file read.
    TRecordingPrintTarget plain(4760, 6814, 600);
    Run(Options(TPrintChoice::AllBooks), plain);
    EXPECT_EQ(plain.Count(TPrintOp::Picture), 0);
    EXPECT_EQ(plain.Pages(), 1);
}

} // namespace
