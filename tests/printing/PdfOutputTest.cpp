// The print run through the Qt printer into a PDF file, read back with
// poppler's pdftotext and pdftoppm (installed by ./test): where the lines,
// the page breaks and the footer rule really land on the page.
#include "platform/gui/EPrinterError.h"
#include "platform/print/QtPrintTarget.h"
#include "tests/printing/PrintingFixture.h"

#include <QImage>
#include <QPageLayout>
#include <QPrinter>
#include <QProcess>
#include <QXmlStreamReader>

#include <cmath>
#include <iterator>
#include <map>

namespace {

// Runs a poppler tool; a tool that is missing or fails fails the test.
bool RunTool(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60'000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        ADD_FAILURE() << program.toStdString()
                      << " did not run (poppler-utils, which ./test installs): " << process.errorString().toStdString()
                      << " " << process.readAllStandardError().toStdString();
        return false;
    }
    return true;
}

// One word as pdftotext -bbox places it, in points from the page's top left corner.
struct TWord {
    int Page = 0;
    double Left = 0, Top = 0, Right = 0;
    QString Text;
};

std::vector<TWord> ReadWords(const QString& pdf, const QString& html)
{
    std::vector<TWord> words;
    if (!RunTool("pdftotext", {"-bbox", pdf, html}))
        return words;
    QFile file(html);
    if (!file.open(QIODevice::ReadOnly))
        return words;
    QXmlStreamReader xml(&file);
    int page = 0;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QStringLiteral("page")) {
            ++page;
        } else if (xml.name() == QStringLiteral("word")) {
            TWord word;
            word.Page = page;
            word.Left = xml.attributes().value("xMin").toDouble();
            word.Top = xml.attributes().value("yMin").toDouble();
            word.Right = xml.attributes().value("xMax").toDouble();
            word.Text = xml.readElementText();
            words.push_back(word);
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return words;
}

} // namespace

class PdfOutput : public TPrintingFixture {
protected:
    static constexpr int Dpi = 600;
    // Top and left margins of a whole number of pixels, so that the device
    // pixels of the printable area are the pixels of the page rendered at Dpi.
    static constexpr double MarginPoints = 12;
    static constexpr int MarginPixels = 100;

    // Device pixels of the printable area from points of the page.
    static double Pixels(double points) { return points * Dpi / 72 - MarginPixels; }

    // The printer writes the PDF file at Dpi; with the example's margins, on A4.
    static void ToPdf(QPrinter& printer, const QString& pdf, bool exampleMargins)
    {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        printer.setResolution(Dpi);
        if (exampleMargins)
            printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                              QMarginsF(MarginPoints, MarginPoints, MarginPoints, MarginPoints),
                                              QPageLayout::Point));
    }
};

TEST_F(PdfOutput, WorkedExampleLandsOnTheComputedLinesWithABlackRuleOnePixelHigh)
{
    // The worked example's resolution and font. Qt's page layout takes whole
    // points as margins, so its printable height of 6814 cannot be set; A4 less
    // 12 point margins gives 6817, the same LineHeight (116) and PageLines (54),
    // and a footer three pixels lower.
    Open(NumberedBooks(100));
    const QString pdf = Folder.Path() + "/worked.pdf";
    QPrinter printer(QPrinter::HighResolution);
    ToPdf(printer, pdf, true);
    ASSERT_EQ(printer.height(), 6817);
    const int footerTop = 6817 - 2 * 116;
    {
        TQtPrintTarget target(printer);
        const TBookListPrinter run = Run(Options(TPrintChoice::AllBooks), target);
        ASSERT_EQ(run.LineHeight, 116);
        ASSERT_EQ(run.PageLines, 54);
    }

    // Word boxes begin at the top of the text cell, where each line is placed.
    struct TLine {
        QString Text;
        int Top;
    };
    std::vector<std::vector<TLine>> pages;
    for (const TWord& word : ReadWords(pdf, Folder.Path() + "/worked.html")) {
        if (word.Page > static_cast<int>(pages.size()))
            pages.resize(static_cast<size_t>(word.Page));
        std::vector<TLine>& lines = pages[static_cast<size_t>(word.Page - 1)];
        const int top = static_cast<int>(std::lround(Pixels(word.Top)));
        if (lines.empty() || std::abs(lines.back().Top - top) > 1)
            lines.push_back({word.Text, top});
        else
            lines.back().Text += " " + word.Text;
    }
    ASSERT_EQ(pages.size(), 3u);

    // Page 1 holds books 1 to 45 on lines 9 to 53, page 2 books 46 to 91 on
    // lines 8 to 53, page 3 the rest from line 8.
    const int firstBook[] = {1, 46, 92}, firstLine[] = {9, 8, 8}, lastBook[] = {45, 91, 100};
    for (int p = 0; p < 3; ++p) {
        std::vector<TLine> expected = {{".: Book listing :.", 464}, {"Book title, Book author, Publisher", 812}};
        for (int book = firstBook[p]; book <= lastBook[p]; ++book)
            expected.push_back({QStringLiteral("Title %1, Author %1, Publisher %1").arg(book),
                                (firstLine[p] + book - firstBook[p]) * 116});
        expected.push_back({QStringLiteral("Page %1").arg(p + 1), footerTop});
        const std::vector<TLine>& lines = pages[static_cast<size_t>(p)];
        ASSERT_EQ(lines.size(), expected.size()) << "page " << p + 1;
        for (size_t i = 0; i < lines.size(); ++i) {
            EXPECT_EQ(lines[i].Text, expected[i].Text) << "page " << p + 1;
            EXPECT_NEAR(lines[i].Top, expected[i].Top, 1) << lines[i].Text.toStdString();
        }
    }

    // Rendered at the print resolution, the rule two pixels above the footer
    // is one black row of pixels across the printable width, with white rows
    // above and below.
    for (int page = 1; page <= 3; ++page) {
        const QString image = Folder.Path() + QStringLiteral("/rule%1").arg(page);
        ASSERT_TRUE(RunTool("pdftoppm", {"-r", QString::number(Dpi), "-f", QString::number(page), "-l",
                                         QString::number(page), "-y", QString::number(MarginPixels + footerTop - 2 - 1),
                                         "-H", "3", "-gray", "-singlefile", pdf, image}));
        const QImage rows(image + ".pgm");
        ASSERT_EQ(rows.height(), 3) << page;
        int notWhiteAbove = 0, notBlack = 0, notWhiteBelow = 0;
        for (int x = MarginPixels; x < MarginPixels + printer.width(); ++x) {
            notWhiteAbove += qGray(rows.pixel(x, 0)) < 224;
            notBlack += qGray(rows.pixel(x, 1)) > 32;
            notWhiteBelow += qGray(rows.pixel(x, 2)) < 224;
        }
        EXPECT_EQ(notBlack, 0) << "page " << page;
        EXPECT_EQ(notWhiteAbove, 0) << "page " << page;
        EXPECT_EQ(notWhiteBelow, 0) << "page " << page;
    }
}

TEST_F(PdfOutput, LongTextsAreCutBeforeTheNextColumnWithAnEllipsis)
{
    // The installed column positions at 600 dpi leave the title and the
    // author about 4 cm each; Windows-1252 0x85 is the ellipsis itself.
    const std::string longTitle = "A title far too long for its column, which would run over the author";
    Open({PrintBook(1, longTitle, "Herbert", "Ace"), PrintBook(2, "Dune", std::string(60, 'W'), "Ace"),
          PrintBook(3, "Short\x85", "Austen", std::string(200, 'P'))});
    const QString pdf = Folder.Path() + "/columns.pdf";
    QPrinter printer(QPrinter::HighResolution);
    ToPdf(printer, pdf, true);
    {
        TQtPrintTarget target(printer);
        Run(Options(TPrintChoice::AllBooks, false), target);
    }
    const int columns[] = {20, 950, 1800, printer.width()};
    std::map<int, QStringList> lines; // book line y -> its words
    for (const TWord& word : ReadWords(pdf, Folder.Path() + "/columns.html")) {
        const double left = Pixels(word.Left), right = Pixels(word.Right);
        const int top = static_cast<int>(std::lround(Pixels(word.Top)));
        if (top < 1000 || top > 1400)
            continue; // title, heading, footer
        lines[top] << word.Text;
        // A word lies wholly inside one column's cell.
        int column = 0;
        while (column < 2 && left >= columns[column + 1] - 1)
            ++column;
        EXPECT_LE(right, columns[column + 1] + 1) << word.Text.toStdString() << " runs into the next column";
    }
    ASSERT_EQ(lines.size(), 3u);
    const QString ellipsis(QChar(0x2026));
    const QStringList first = lines.begin()->second, second = std::next(lines.begin())->second,
                      third = lines.rbegin()->second;
    EXPECT_EQ(first.first(), "A");
    EXPECT_TRUE(first.join(' ').contains(ellipsis + " Herbert")) << first.join(' ').toStdString();
    EXPECT_FALSE(first.join(' ').contains("author"));
    EXPECT_TRUE(second.join(' ').startsWith("Dune W")) << second.join(' ').toStdString();
    EXPECT_TRUE(second.join(' ').endsWith(ellipsis + " Ace")) << second.join(' ').toStdString();
    // Texts that fit are drawn whole, the stored ellipsis as a character.
    EXPECT_EQ(third.first(), "Short" + ellipsis);
    EXPECT_EQ(third.at(1), "Austen");
    EXPECT_TRUE(third.at(2).startsWith("PPP") && third.at(2).endsWith(ellipsis)) << third.join(' ').toStdString();
}

TEST_F(PdfOutput, PageRangeAndCopiesPrintTheChosenPagesCollated)
{
    Open(NumberedBooks(100)); // three pages
    struct Case {
        int From, To, Copies;
        QStringList Footers;
    };
    const Case cases[] = {
        {0, 0, 1, {"Page 1", "Page 2", "Page 3"}},
        {2, 3, 1, {"Page 2", "Page 3"}},
        {3, 9, 1, {"Page 3"}},
        {0, 0, 2, {"Page 1", "Page 2", "Page 3", "Page 1", "Page 2", "Page 3"}},
        {1, 2, 2, {"Page 1", "Page 2", "Page 1", "Page 2"}},
    };
    int n = 0;
    for (const Case& c : cases) {
        const QString pdf = Folder.Path() + QStringLiteral("/range%1.pdf").arg(++n);
        QPrinter printer(QPrinter::HighResolution);
        ToPdf(printer, pdf, false);
        if (c.From > 0) {
            printer.setPrintRange(QPrinter::PageRange);
            printer.setFromTo(c.From, c.To);
        }
        printer.setCopyCount(c.Copies);
        {
            TQtPrintTarget target(printer);
            Run(Options(TPrintChoice::AllBooks), target);
        }
        QStringList footers;
        for (const TWord& word : ReadWords(pdf, pdf + ".html")) {
            if (word.Text == "Page")
                footers << "Page";
            else if (!footers.isEmpty() && footers.last() == "Page")
                footers.last() += " " + word.Text;
        }
        EXPECT_EQ(footers, c.Footers) << c.From << "-" << c.To << " x" << c.Copies;
    }

    // A range beyond the list prints nothing and says so.
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(Folder.Path() + "/beyond.pdf");
    printer.setPrintRange(QPrinter::PageRange);
    printer.setFromTo(4, 5);
    TQtPrintTarget target(printer);
    EXPECT_THROW(Run(Options(TPrintChoice::AllBooks), target), EPrinterError);
}
