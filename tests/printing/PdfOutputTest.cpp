// The print run through the Qt printer into a PDF file, read back with
// poppler's pdftotext and pdftoppm (installed by ./test): where the lines,
// the page breaks and the footer rule really land on the page.
#include "platform/print/QtPrintTarget.h"
#include "tests/printing/PrintingFixture.h"

#include <QImage>
#include <QPageLayout>
#include <QPrinter>
#include <QProcess>
#include <QXmlStreamReader>

#include <cmath>

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
    double Left = 0, Top = 0;
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
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    printer.setResolution(Dpi);
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                      QMarginsF(MarginPoints, MarginPoints, MarginPoints, MarginPoints),
                                      QPageLayout::Point));
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
