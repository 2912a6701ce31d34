#include "printing/BookListPrinter.h"

#include "engine/FieldTable.h"
#include "engine/ORBL.h"
#include "platform/Cp1252.h"
#include "platform/gui/EPrinterError.h"
#include "widgets/CoverImage.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <utility>

namespace {

const QString Separator = QStringLiteral(", ");

// With covers printed a book spans three lines; its cover fills them but a
// quarter line's gap to the next.
constexpr int32_t CoverLines = 3;
int32_t CoverHeight(int32_t lineHeight)
{
    return CoverLines * lineHeight - lineHeight / 4;
}

} // namespace

TBookListPrinter::TBookListPrinter(const TDatabase& database, const TRFileSystem& settings, TBrowserRows browser,
                                   TPrintOptions options)
    : Database(database), Settings(settings), Browser(std::move(browser)), Options(std::move(options))
{
}

int64_t TBookListPrinter::ScaledFontHeight(int32_t points, int32_t dpi)
{
    const int64_t product = std::llabs(static_cast<int64_t>(points) * dpi);
    return (product + 36) / 72;
}

void TBookListPrinter::ReadSettings()
{
    Column1Field = Settings.ReadString("pcol1");
    Column2Field = Settings.ReadString("pcol2");
    Column3Field = Settings.ReadString("pcol3");
    Column1X = Settings.ReadInteger("pcol1_dst");
    Column2X = Settings.ReadInteger("pcol2_dst");
    Column3X = Settings.ReadInteger("pcol3_dst");
}

void TBookListPrinter::Print(IPrintTarget& target)
{
    Target = &target;
    target.SetDocumentName(QString::fromLatin1(DocumentName));
    Font = Options.Font;

    // Line spacing is about 1.4 times the chosen font's height on this printer.
    const int64_t height = ScaledFontHeight(Font.Size, target.DpiY());
    const int64_t lineHeight = height + (4 * height) / 10;
    if (lineHeight <= 0)
        throw EPrinterError("The printer reports no usable resolution");
    // A line taller than the page leaves PageLines negative and is refused below.
    LineHeight = static_cast<int32_t>(std::min<int64_t>(lineHeight, INT32_MAX));
    PageLines = target.PageHeight() / LineHeight - 4;
    // Title, heading and footer need thirteen lines; on a shorter page the
    // line counter would never meet PageLines and every book would run off the
    // bottom of the one page, so such a page is refused before anything prints.
    if (PageLines < 9)
        throw EPrinterError("The printer's page is too short for the book list");
    CurrentLine = 4;

    target.BeginDoc();
    try {
        FooterRect = {20, LineHeight, target.PageWidth(), 2 * LineHeight};
        PrintHeader();
        PrintPage();
        PrintFooter();
        target.EndDoc();
    } catch (...) {
        target.Abort();
        throw;
    }
}

void TBookListPrinter::Cells(int32_t y, std::initializer_list<TCell> cells)
{
    const int32_t width = CellsRight();
    for (const TCell* cell = cells.begin(); cell != cells.end(); ++cell) {
        // Of two columns at the same position the later one takes the space.
        int32_t right = width;
        for (const TCell* other = cells.begin(); other != cells.end(); ++other)
            if (other->X > cell->X || (other->X == cell->X && other > cell))
                right = std::min(right, other->X);
        if (cell->X >= 0 && cell->X < right)
            Target->TextOut(cell->X, y, right, cell->Text, Font);
    }
}

QString TBookListPrinter::Field(int32_t slot, const std::string& alias) const
{
    return Cp1252::ToQString(Database.GetField(-1, slot, alias));
}

void TBookListPrinter::PrintHeader()
{
    Font.Bold = true;
    Font.Size = 16;
    Cells(CurrentLine * LineHeight, {{1000, QStringLiteral(".: Book listing :.")}});
    CurrentLine += 3;

    // From here on the text is 10 points whatever size was chosen: the chosen
    // size only sets the line spacing.
    Font.Size = 10;
    if (Options.Choice == TPrintChoice::LoanedBooks)
        Column3Field = "Loaner & date loaned";
    else if (Options.Choice == TPrintChoice::BrowserBooks)
        Column3Field = "Publisher";

    const QString heading1 = Cp1252::ToQString(Column1Field);
    const QString heading2 = Cp1252::ToQString(Column2Field);
    const QString heading3 = Cp1252::ToQString(Column3Field);
    const int32_t y = CurrentLine * LineHeight;
    if (Options.ListFormat)
        Cells(y, {{Column1X, heading1 + Separator + heading2 + Separator + heading3}});
    else
        Cells(y, {{Column1X, heading1}, {Column2X, heading2}, {Column3X, heading3}});
    CurrentLine += 1;
    Font.Bold = false;
}

int32_t TBookListPrinter::NextBookLine()
{
    CurrentLine += 1;
    if (CurrentLine == PageLines)
        NewPage();
    return CurrentLine * LineHeight;
}

int32_t TBookListPrinter::CellsRight() const
{
    if (!Options.Covers)
        return Target->PageWidth();
    return Target->PageWidth() - CoverHeight(LineHeight) * 2 / 3 - LineHeight / 2;
}

int32_t TBookListPrinter::NextBook(const TItem& book)
{
    int32_t y = NextBookLine();
    if (!Options.Covers)
        return y;
    // The cover's lines on one page: where they would reach the footer's,
    // the page breaks first (a page too short for them breaks as before).
    if (CurrentLine + CoverLines - 1 >= PageLines && PageLines - 8 >= CoverLines) {
        NewPage();
        y = CurrentLine * LineHeight;
    }
    CurrentLine += CoverLines - 1;
    const int32_t height = CoverHeight(LineHeight);
    const QImage cover =
        CoverImage::Read(Database.FileName(), book.Details.Value(FieldTable::CoverKey), QSize(height * 2 / 3, height));
    if (!cover.isNull()) {
        const int32_t right = Target->PageWidth();
        Target->Picture({right - cover.width(), y, right, y + cover.height()}, cover);
    }
    return y;
}

void TBookListPrinter::PrintPage()
{
    const int32_t count = Database.Count();
    switch (Options.Choice) {
    case TPrintChoice::AllBooks:
        for (int32_t i = 0; i < count; ++i) {
            const int32_t y = NextBook(Database.ItemAt(i));
            const QString f1 = Field(i, Column1Field);
            const QString f2 = Field(i, Column2Field);
            const QString f3 = Field(i, Column3Field);
            if (Options.ListFormat)
                Cells(y, {{Column1X, f1 + Separator + f2 + Separator + f3}});
            else
                Cells(y, {{Column1X, f1}, {Column2X, f2}, {Column3X, f3}});
        }
        break;

    case TPrintChoice::LoanedBooks:
        for (int32_t i = 0; i < count; ++i) {
            TItem item;
            Database.GetItem(-1, i, item);
            if (item.Fields[7].empty())
                continue;
            const int32_t y = NextBook(item);
            const QString f1 = Field(i, Column1Field);
            const QString f2 = Field(i, Column2Field);
            const QString loan = Cp1252::ToQString(item.Fields[6]) + Separator + Cp1252::ToQString(item.Fields[7]);
            if (Options.ListFormat)
                Cells(y, {{Column1X, f1 + Separator + f2}, {Column3X, loan}});
            else
                Cells(y, {{Column1X, f1}, {Column2X, f2}, {Column3X, loan}});
        }
        break;

    case TPrintChoice::None:
    case TPrintChoice::BrowserBooks: {
        // While the browser shows a search result it has fewer rows than the
        // database has books; only the rows it shows are printed, never stale
        // cells of an earlier, longer list.
        const int32_t rows = std::min<int32_t>(count, static_cast<int32_t>(Browser.Ids.size()));
        for (int32_t i = 0; i < rows; ++i) {
            const int32_t slot = Database.SlotOf(Browser.Ids[static_cast<size_t>(i)]);
            if (slot < 0)
                continue; // listed before a change the list has not followed yet
            const TItem& book = Database.ItemAt(slot);
            const int32_t y = NextBook(book);
            const QString author = Cp1252::ToQString(book.Fields[1]);
            const QString title = Cp1252::ToQString(book.Fields[0]);
            const QString publisher = Cp1252::ToQString(book.Fields[2]);
            if (Options.ListFormat)
                Cells(y, {{Column1X, author + Separator + title}, {Column3X, publisher}});
            else
                Cells(y, {{Column1X, author}, {Column2X, title}, {Column3X, publisher}});
        }
        break;
    }
    }
}

void TBookListPrinter::NewPage()
{
    PrintFooter();
    CurrentLine = 4;
    Target->NewPage();
    PrintHeader();
}

void TBookListPrinter::PrintFooter()
{
    FooterRect.Top = Target->PageHeight() - 2 * LineHeight;
    FooterRect.Bottom = FooterRect.Top + LineHeight;
    Target->TextCentred(FooterRect, QStringLiteral("Page %1").arg(Target->PageNumber()), Font);
    Target->Line(0, FooterRect.Top - 2, Target->PageWidth(), FooterRect.Top - 2);
}
