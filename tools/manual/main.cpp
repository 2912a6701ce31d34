// volumnia_manual_tool: lays out the user manual, written in Markdown, with
// QTextDocument and writes it as an A4 PDF: a title page, a contents list
// with page numbers, every chapter on a new page and the page number at the
// foot of every page. Run at build time:
//     volumnia_manual_tool <manual.md> <output.pdf> [picture folder]
// Pictures are Markdown images with a bare file name, looked up in the
// picture folder; a picture that cannot be read fails the run, so the PDF
// never ships with a hole where a window should be.
// The first level-one heading is the title; what follows it up to the next
// level-one heading is the title page. Each further level-one heading starts
// a chapter; level-two headings are its sections.
#include <QColor>
#include <QImage>
#include <QUrl>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <QAbstractTextDocumentLayout>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int Resolution = 300; // dots per inch of the PDF's coordinate space
constexpr double FooterGapPt = 18;

struct THeading {
    int Level;
    QString Text;
    int Page = 0;
};

void Fail(const QString& message)
{
    std::fprintf(stderr, "volumnia_manual_tool: %s\n", qPrintable(message));
}

double PointsToDots(double points)
{
    return points * Resolution / 72.0;
}

// Lengths in text formats (margins, padding, borders) are given in 96-dpi
// pixels; the layout scales them to the paint device itself.
double FormatLength(double points)
{
    return points * 96.0 / 72.0;
}

// The heading blocks after the title, in document order.
std::vector<QTextBlock> ChapterHeadings(const QTextDocument& document)
{
    std::vector<QTextBlock> headings;
    bool titleSeen = false;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const int level = block.blockFormat().headingLevel();
        if (level == 1 && !titleSeen) {
            titleSeen = true;
            continue;
        }
        if (titleSeen && (level == 1 || level == 2))
            headings.push_back(block);
    }
    return headings;
}

// The title page centred with a large title, chapters on new pages.
void StyleHeadings(QTextDocument& document)
{
    QTextCursor cursor(&document);
    bool titleSeen = false;
    bool onTitlePage = true;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const bool chapter = block.blockFormat().headingLevel() == 1;
        if (chapter && titleSeen)
            onTitlePage = false;
        if (!chapter && !onTitlePage)
            continue;
        cursor.setPosition(block.position());
        QTextBlockFormat format = block.blockFormat();
        if (onTitlePage) {
            format.setAlignment(Qt::AlignHCenter);
            if (chapter) {
                titleSeen = true;
                format.setBottomMargin(FormatLength(24));
                cursor.setBlockFormat(format);
                cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
                QTextCharFormat title;
                title.setFontPointSize(36);
                title.setFontWeight(QFont::Bold);
                cursor.mergeCharFormat(title);
                continue;
            }
        } else {
            format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        }
        cursor.setBlockFormat(format);
    }
}

// Heading sizes and spacing for the chapters; the Markdown defaults are
// screen sizes with little air around them.
void StyleSections(QTextDocument& document)
{
    QTextCursor cursor(&document);
    bool titleSeen = false;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const int level = block.blockFormat().headingLevel();
        if (level == 0)
            continue;
        if (level == 1 && !titleSeen) {
            titleSeen = true;
            continue;
        }
        QTextBlockFormat format = block.blockFormat();
        format.setTopMargin(FormatLength(level == 1 ? 0 : level == 2 ? 14 : 8));
        format.setBottomMargin(FormatLength(level == 1 ? 14 : 4));
        cursor.setPosition(block.position());
        cursor.setBlockFormat(format);
        cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        QTextCharFormat chars;
        chars.setFontPointSize(level == 1 ? 22 : level == 2 ? 14 : 11);
        chars.setFontWeight(QFont::Bold);
        cursor.mergeCharFormat(chars);
    }
}

// Thin single rules, some padding and a shaded first row for every table.
void StyleTables(QTextDocument& document)
{
    for (QTextFrame* frame : document.rootFrame()->childFrames()) {
        auto* table = qobject_cast<QTextTable*>(frame);
        if (!table)
            continue;
        QTextTableFormat format = table->format();
        format.setBorderCollapse(true);
        format.setBorder(1);
        format.setHeaderRowCount(1);
        format.setBorderBrush(QColor(0x80, 0x80, 0x80));
        format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
        format.setCellSpacing(0);
        format.setCellPadding(FormatLength(3));
        format.setTopMargin(FormatLength(4));
        format.setBottomMargin(FormatLength(8));
        table->setFormat(format);
        for (int column = 0; column < table->columns(); ++column) {
            QTextTableCell cell = table->cellAt(0, column);
            QTextCharFormat shade = cell.format();
            shade.setBackground(QColor(0xe8, 0xe8, 0xe8));
            cell.setFormat(shade);
        }
    }
}

// Puts a contents list on its own page in front of the first chapter and
// returns its table, whose second column receives the page numbers.
QTextTable* InsertContents(QTextDocument& document, const std::vector<THeading>& headings)
{
    const std::vector<QTextBlock> chapters = ChapterHeadings(document);
    if (chapters.empty())
        return nullptr;
    QTextCursor cursor(&document);
    cursor.setPosition(chapters.front().position());
    // The chapter heading moves into the new block with its own format; the
    // block left behind becomes the contents title.
    cursor.insertBlock(chapters.front().blockFormat(), chapters.front().charFormat());
    cursor.movePosition(QTextCursor::PreviousBlock);
    QTextBlockFormat titleFormat;
    titleFormat.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    titleFormat.setBottomMargin(FormatLength(12));
    cursor.setBlockFormat(titleFormat);
    QTextCharFormat titleChars;
    titleChars.setFontPointSize(20);
    titleChars.setFontWeight(QFont::Bold);
    cursor.insertText(QStringLiteral("Contents"), titleChars);

    QTextTableFormat tableFormat;
    tableFormat.setBorder(0);
    tableFormat.setCellPadding(FormatLength(1.5));
    tableFormat.setCellSpacing(0);
    tableFormat.setWidth(QTextLength(QTextLength::PercentageLength, 100));
    tableFormat.setColumnWidthConstraints(
        {QTextLength(QTextLength::PercentageLength, 90), QTextLength(QTextLength::PercentageLength, 10)});
    QTextTable* table = cursor.insertTable(static_cast<int>(headings.size()), 2, tableFormat);
    for (size_t i = 0; i < headings.size(); ++i) {
        const int row = static_cast<int>(i);
        QTextCharFormat chars;
        chars.setFontWeight(headings[i].Level == 1 ? QFont::Bold : QFont::Normal);
        QTextCursor cell = table->cellAt(row, 0).firstCursorPosition();
        QTextBlockFormat indent;
        indent.setLeftMargin(headings[i].Level == 1 ? 0 : FormatLength(14));
        indent.setTopMargin(headings[i].Level == 1 && i > 0 ? FormatLength(5) : 0);
        cell.setBlockFormat(indent);
        cell.insertText(headings[i].Text, chars);
        QTextCursor page = table->cellAt(row, 1).firstCursorPosition();
        QTextBlockFormat right;
        right.setAlignment(Qt::AlignRight);
        right.setTopMargin(indent.topMargin());
        page.setBlockFormat(right);
        page.insertText(QStringLiteral("000"), chars); // as wide as any real number
    }
    return table;
}

// The page (from 1) on which each chapter heading lies after layout.
std::vector<int> HeadingPages(const QTextDocument& document)
{
    const double pageHeight = document.pageSize().height();
    std::vector<int> pages;
    for (const QTextBlock& block : ChapterHeadings(document)) {
        const QRectF box = document.documentLayout()->blockBoundingRect(block);
        pages.push_back(static_cast<int>(box.top() / pageHeight) + 1);
    }
    return pages;
}

void WritePageNumbers(QTextTable& table, const std::vector<int>& pages)
{
    for (size_t i = 0; i < pages.size(); ++i) {
        QTextCursor cell = table.cellAt(static_cast<int>(i), 1).firstCursorPosition();
        cell.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        cell.insertText(QString::number(pages[i]));
    }
}

void DrawFooter(QPainter& painter, const QRectF& band, int page, int pages)
{
    painter.save();
    painter.setPen(QPen(Qt::darkGray, PointsToDots(0.5)));
    painter.drawLine(QPointF(band.left(), band.top()), QPointF(band.right(), band.top()));
    painter.setFont(QFont(QStringLiteral("DejaVu Sans"), 8));
    painter.setPen(Qt::black);
    painter.drawText(band.adjusted(0, PointsToDots(3), 0, 0), Qt::AlignLeft | Qt::AlignTop,
                     QStringLiteral("Volumnia user manual"));
    painter.drawText(band.adjusted(0, PointsToDots(3), 0, 0), Qt::AlignRight | Qt::AlignTop,
                     QStringLiteral("Page %1 of %2").arg(page).arg(pages));
    painter.restore();
}

} // namespace

// Gives every picture its size: a screen pixel as a 120-dpi dot (windows
// come out a little smaller than on the screen), never wider than the text.
// False when a picture cannot be read.
bool SizePictures(QTextDocument& document, double textWidth)
{
    struct TPicture {
        int Position;
        QTextImageFormat Format;
    };
    std::vector<TPicture> pictures;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
            const QTextFragment part = fragment.fragment();
            if (part.charFormat().isImageFormat())
                pictures.push_back({part.position(), part.charFormat().toImageFormat()});
        }
    }
    for (TPicture& picture : pictures) {
        const QVariant resource = document.resource(QTextDocument::ImageResource, QUrl(picture.Format.name()));
        QImage image = resource.value<QImage>();
        if (image.isNull() && resource.canConvert<QByteArray>())
            image = QImage::fromData(resource.toByteArray());
        if (image.isNull()) {
            Fail(QStringLiteral("cannot read the picture %1").arg(picture.Format.name()));
            return false;
        }
        const double width = std::min(image.width() * 96.0 / 120.0, textWidth);
        picture.Format.setWidth(width);
        picture.Format.setHeight(width * image.height() / image.width());
        QTextCursor cursor(&document);
        cursor.setPosition(picture.Position);
        cursor.setPosition(picture.Position + 1, QTextCursor::KeepAnchor); // an image is one character
        cursor.setCharFormat(picture.Format);
    }
    return true;
}

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 3 && argc != 4) {
        Fail(QStringLiteral("usage: volumnia_manual_tool <manual.md> <output.pdf> [picture folder]"));
        return 2;
    }
    const QString sourcePath = QString::fromLocal8Bit(argv[1]);
    const QString pdfPath = QString::fromLocal8Bit(argv[2]);

    QFile source(sourcePath);
    if (!source.open(QIODevice::ReadOnly)) {
        Fail(QStringLiteral("cannot read %1: %2").arg(sourcePath, source.errorString()));
        return 1;
    }
    const QString markdown = QString::fromUtf8(source.readAll());
    if (source.error() != QFileDevice::NoError) {
        Fail(QStringLiteral("cannot read %1: %2").arg(sourcePath, source.errorString()));
        return 1;
    }

    // QSaveFile: a failed run leaves no half-written PDF behind.
    QSaveFile out(pdfPath);
    if (!out.open(QIODevice::WriteOnly)) {
        Fail(QStringLiteral("cannot write %1: %2").arg(pdfPath, out.errorString()));
        return 1;
    }
    QPdfWriter writer(&out);
    writer.setResolution(Resolution);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(20, 18, 20, 14),
                                     QPageLayout::Millimeter));
    writer.setTitle(QStringLiteral("Volumnia user manual"));
    writer.setCreator(QStringLiteral("Volumnia manual tool"));

    QTextDocument document;
    document.documentLayout()->setPaintDevice(&writer); // fonts measured at the PDF's resolution
    document.setDefaultFont(QFont(QStringLiteral("DejaVu Sans"), 10));
    if (argc == 4)
        document.setBaseUrl(QUrl::fromLocalFile(QString::fromLocal8Bit(argv[3]) + QLatin1Char('/')));
    document.setMarkdown(markdown, QTextDocument::MarkdownDialectGitHub);
    if (document.isEmpty()) {
        Fail(QStringLiteral("%1 holds no text").arg(sourcePath));
        return 1;
    }
    StyleHeadings(document);
    StyleSections(document);
    StyleTables(document);
    const QRectF textArea = writer.pageLayout().paintRectPixels(Resolution);
    if (!SizePictures(document, textArea.width() * 96.0 / Resolution))
        return 1;

    std::vector<THeading> headings;
    for (const QTextBlock& block : ChapterHeadings(document))
        headings.push_back({block.blockFormat().headingLevel(), block.text()});
    QTextTable* contents = InsertContents(document, headings);

    const QRectF paintRect = writer.pageLayout().paintRectPixels(Resolution);
    const double footerHeight = PointsToDots(FooterGapPt);
    const QSizeF pageSize(paintRect.width(), paintRect.height() - footerHeight);
    document.setPageSize(pageSize);

    // The page numbers are as wide as their placeholders, so writing them
    // does not move anything; lay out again until they agree to be sure.
    for (int pass = 0; contents && pass < 3; ++pass) {
        const std::vector<int> pages = HeadingPages(document);
        WritePageNumbers(*contents, pages);
        if (HeadingPages(document) == pages)
            break;
    }

    QPainter painter;
    if (!painter.begin(&writer)) {
        Fail(QStringLiteral("cannot start the PDF %1").arg(pdfPath));
        return 1;
    }
    const int pages = document.pageCount();
    const QRectF footer(0, pageSize.height() + PointsToDots(6), pageSize.width(), footerHeight);
    for (int page = 0; page < pages; ++page) {
        if (page > 0)
            writer.newPage();
        painter.save();
        painter.translate(0, -page * pageSize.height());
        document.drawContents(&painter, QRectF(QPointF(0, page * pageSize.height()), pageSize));
        painter.restore();
        if (page > 0) // the title page goes without
            DrawFooter(painter, footer, page + 1, pages);
    }
    if (!painter.end() || !out.commit()) {
        Fail(QStringLiteral("cannot write %1: %2").arg(pdfPath, out.errorString()));
        return 1;
    }
    return 0;
}
