// TBookListPrinter: one print run of the book list, from the six print format
// settings to the last page, on any print target. It holds what a run fills in
// (the column fields and positions, LineHeight, PageLines, CurrentLine,
// FooterRect) so that the print dialog only gathers the options and calls it,
// and the whole run can be tested without windows or a printer.
#pragma once

#include "platform/gui/PrintFont.h"
#include "platform/gui/PrintTarget.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

class TDatabase;
struct TItem;
class TRFileSystem;

// Which books are printed: the print dialog's three radio buttons, or none.
enum class TPrintChoice { None, AllBooks, LoanedBooks, BrowserBooks };

struct TPrintOptions {
    TPrintChoice Choice = TPrintChoice::None;
    bool ListFormat = true; // "Use list format." checked; columns otherwise
    TPrintFont Font;        // the font chosen with "&Font"
    // Each book with its cover's small picture at the right edge, over
    // three lines (a check box of the dialog; off unless checked).
    bool Covers = false;
};

// The books the browser lists, by ID in their order: the whole catalogue or a
// search's result.
struct TBrowserRows {
    std::vector<int32_t> Ids;
};

class TBookListPrinter {
public:
    static constexpr const char* DocumentName = "Quenfir Volumnia";

    TBookListPrinter(const TDatabase& database, const TRFileSystem& settings, TBrowserRows browser,
                     TPrintOptions options);

    // Reads pcol1..3 and pcol1_dst..pcol3_dst, in that order; raises what the
    // settings store raises, and nothing is printed then.
    void ReadSettings();
    // Prints the whole list as one document. An error on the way ends the
    // document before it is raised, so the target is never left printing.
    void Print(IPrintTarget& target);

    // round(|size x dpi / 72|), halves away from zero, without overflow.
    static int64_t ScaledFontHeight(int32_t points, int32_t dpi);

    std::string Column1Field, Column2Field, Column3Field;
    int32_t Column1X = 0, Column2X = 0, Column3X = 0;
    int32_t LineHeight = 0;
    int32_t PageLines = 0;
    int32_t CurrentLine = 0;
    TPrintRect FooterRect;

private:
    void PrintHeader();
    void PrintPage();
    void PrintFooter();
    void NewPage();
    // Counts the line, breaks the page when it reaches PageLines, and returns
    // the y of the line.
    int32_t NextBookLine();
    // The line of the next book and, with covers printed, its cover to the
    // right, the lines it spans kept on one page. Cells then end before it.
    int32_t NextBook(const TItem& book);
    // One printed line: texts at their column positions, each cut off where
    // the next column to its right begins (the last at the printable right
    // edge). A column left of the printable area or with no room before the
    // next one prints nothing; the others print as usual.
    struct TCell {
        int32_t X;
        QString Text;
    };
    void Cells(int32_t y, std::initializer_list<TCell> cells);
    QString Field(int32_t slot, const std::string& alias) const;
    // Where the cells of a line end: the printable right edge, or the
    // covers' column with covers printed.
    int32_t CellsRight() const;

    const TDatabase& Database;
    const TRFileSystem& Settings;
    TBrowserRows Browser;
    TPrintOptions Options;
    TPrintFont Font; // the drawing surface's font as the run changes it
    IPrintTarget* Target = nullptr;
};
