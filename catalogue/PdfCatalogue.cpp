#include "catalogue/PdfCatalogue.h"

#include "catalogue/Thumbnail.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QCollator>
#include <QFontMetricsF>
#include <QLocale>
#include <QPainter>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QUrl>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

namespace {

// One face for the whole document, with the letters of most of the world's
// scripts; fontconfig gives its closest face where it is missing.
QFont BodyFont()
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(10);
    font.setStyleHint(QFont::SansSerif);
    // Any letter spacing turns the face's ligatures off (scripts that need
    // them keep them): "fi" drawn as one glyph would read back as U+FB01,
    // and a reader's search for "Copperfield" would miss it. A 64th of a
    // pixel at 300 dpi shows nowhere.
    font.setLetterSpacing(QFont::AbsoluteSpacing, 1.0 / 64);
    return font;
}

// The pixels of a thumbnail's longer side, shown 20 mm long (about 200
// dpi): the file embeds each picture at its own size, so 1499 covers stay
// a few megabytes.
constexpr int ThumbnailPixels = 160;

QTextCharFormat Characters(qreal points, bool bold, const QColor& colour = Qt::black)
{
    QTextCharFormat format;
    format.setFontPointSize(points);
    format.setFontWeight(bold ? QFont::Bold : QFont::Normal);
    format.setForeground(colour);
    return format;
}

QTextBlockFormat Block(qreal spaceBefore, bool pageBreakBefore = false)
{
    QTextBlockFormat format;
    format.setTopMargin(spaceBefore);
    if (pageBreakBefore)
        format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    return format;
}

QString Counted(int count, const char* one, const char* many)
{
    return QLocale().toString(count) + u' ' + QString::fromUtf8(count == 1 ? one : many);
}

// The title page: what the catalogue is, and its counts.
void TitlePage(QTextCursor& cursor, const TCatalogueContent& content, qreal unit)
{
    cursor.setBlockFormat(Block(unit * 12));
    cursor.insertText(QStringLiteral("Book catalogue"), Characters(28, true));
    cursor.insertBlock(Block(unit * 3));
    cursor.insertText(Counted(static_cast<int>(content.Books.size()), "book", "books"), Characters(14, false));
    cursor.insertBlock(Block(unit));
    cursor.insertText(Counted(content.Authors, "author", "authors"), Characters(14, false));
    cursor.insertBlock(Block(unit));
    cursor.insertText(Counted(content.Lent, "book lent", "books lent"), Characters(14, false));
    cursor.insertBlock(Block(unit * 3));
    cursor.insertText(QStringLiteral("Sorted by ") + TCatalogueContent::NameOf(content.Order) +
                          QStringLiteral("; an index of authors at the end."),
                      Characters(10, false, Qt::darkGray));
}

// Each book: its cover's thumbnail when asked for, its title and author,
// then one line a field. The title's block is returned, to find the book's
// page once laid out.
QTextBlock Book(QTextCursor& cursor, const TCatalogueBook& book, qreal unit, bool first, qreal thumbnailSide)
{
    cursor.insertBlock(Block(unit * 2, first));
    if (thumbnailSide > 0 && !book.CoverFile.isEmpty()) {
        const QImage image = Thumbnail::Image(book.CoverFile, ThumbnailPixels);
        if (!image.isNull()) {
            const QString name = QStringLiteral("cover:") + QString::number(book.ID);
            cursor.document()->addResource(QTextDocument::ImageResource, QUrl(name), image);
            QTextImageFormat format;
            format.setName(name);
            const qreal scale = thumbnailSide / ThumbnailPixels;
            format.setWidth(image.width() * scale);
            format.setHeight(image.height() * scale);
            cursor.insertImage(format);
            cursor.insertBlock(Block(unit / 2));
        }
    }
    const QTextBlock title = cursor.block();
    cursor.insertText(book.Title.isEmpty() ? QStringLiteral("(no title)") : book.Title, Characters(11, true));
    if (!book.Author.isEmpty()) {
        cursor.insertBlock(Block(0));
        cursor.insertText(book.Author, Characters(10, false));
    }
    for (const TCatalogueField& field : book.Fields) {
        cursor.insertBlock(Block(0));
        cursor.insertText(field.Caption + QStringLiteral(": "), Characters(9, false, Qt::darkGray));
        cursor.insertText(field.Value, Characters(9, false));
    }
    return title;
}

} // namespace

namespace PdfCatalogue {

QByteArray Write(const TCatalogueContent& content)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setTitle(QStringLiteral("Book catalogue"));
    writer.setCreator(QStringLiteral("Volumnia"));
    writer.setResolution(300);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(20, 18, 20, 14),
                                     QPageLayout::Millimeter));

    const QRectF paper = writer.pageLayout().paintRectPixels(writer.resolution());
    const qreal unit = writer.resolution() / 72.0 * 4; // four points
    QFont pageNumberFont = BodyFont();
    pageNumberFont.setPointSizeF(9);
    const qreal footer = QFontMetricsF(pageNumberFont, &writer).height() * 2;

    QTextDocument document;
    document.documentLayout()->setPaintDevice(&writer);
    document.setDefaultFont(BodyFont());
    document.setDocumentMargin(0);
    document.setPageSize(QSizeF(paper.width(), paper.height() - footer));
    const qreal pageHeight = document.pageSize().height();

    // A thumbnail 20 mm on its longer side. The document sizes a picture
    // in pixels of 96 dpi whatever the device's resolution.
    const qreal thumbnailSide = content.Thumbnails ? 96 * 20 / 25.4 : 0;
    QTextCursor cursor(&document);
    TitlePage(cursor, content, unit);
    std::vector<QTextBlock> titles;
    titles.reserve(content.Books.size());
    bool first = true;
    for (const TCatalogueBook& book : content.Books) {
        titles.push_back(Book(cursor, book, unit, first, thumbnailSide));
        first = false;
    }

    // The index of authors: each author's pages, once the books are laid out.
    document.pageCount();
    std::map<QString, std::set<int>> pagesOf;
    std::map<QString, QString> shownAs;
    for (size_t i = 0; i < content.Books.size(); ++i) {
        const QString& author = content.Books[i].Author;
        if (author.isEmpty())
            continue;
        const QString key = author.simplified().toCaseFolded();
        shownAs.emplace(key, author.simplified());
        const qreal top = document.documentLayout()->blockBoundingRect(titles[i]).top();
        pagesOf[key].insert(static_cast<int>(std::floor(top / pageHeight)) + 1);
    }
    std::vector<QString> authors;
    for (const auto& [key, shown] : shownAs)
        authors.push_back(key);
    QCollator collator{QLocale()};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(authors.begin(), authors.end(),
                     [&](const QString& a, const QString& b) { return collator.compare(a, b) < 0; });
    cursor.insertBlock(Block(0, true));
    cursor.insertText(QStringLiteral("Index of authors"), Characters(16, true));
    for (const QString& key : authors) {
        cursor.insertBlock(Block(0));
        QString pages;
        for (const int page : pagesOf[key])
            pages += (pages.isEmpty() ? QString() : QStringLiteral(", ")) + QLocale().toString(page);
        cursor.insertText(shownAs[key] + QStringLiteral("  "), Characters(10, false));
        cursor.insertText(pages, Characters(10, false, Qt::darkGray));
    }

    QPainter painter(&writer);
    painter.setFont(pageNumberFont);
    const int pages = document.pageCount();
    for (int page = 0; page < pages; ++page) {
        if (page > 0)
            writer.newPage();
        painter.save();
        painter.translate(0, -page * pageHeight);
        // The layout draws a block that starts right at the clip's bottom
        // edge, the next page's first: clipped out of sight, its text would
        // still be in the page for a search or a copy. A pixel less keeps
        // it to its own page.
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = QRectF(0, page * pageHeight, paper.width(), pageHeight - 1);
        painter.setClipRect(context.clip);
        document.documentLayout()->draw(&painter, context);
        painter.restore();
        painter.setFont(pageNumberFont);
        painter.setPen(Qt::black);
        painter.drawText(QRectF(0, pageHeight, paper.width(), footer), Qt::AlignHCenter | Qt::AlignBottom,
                         QLocale().toString(page + 1));
    }
    painter.end();
    return buffer.data();
}

} // namespace PdfCatalogue
