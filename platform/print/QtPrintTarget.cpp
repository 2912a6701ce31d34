// Drawing goes through one QPainter on the printer. Qt scales point sizes by
// the printer's own resolution and puts the origin at the printable area's top
// left corner (the printer is not in full-page mode), so the coordinates the
// print run computes are used as they are.
#include "platform/print/QtPrintTarget.h"

#include "platform/gui/EPrinterError.h"
#include "platform/print/PrintQueue.h"

#include <QFontMetricsF>
#include <QPageRanges>
#include <QPrinter>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <utility>

TQtPrintTarget::TQtPrintTarget(QPrinter& printer) : Printer(printer) {}

TQtPrintTarget::~TQtPrintTarget()
{
    // This class's own Abort: no override of a derived class runs from here.
    TQtPrintTarget::Abort();
}

QFont TQtPrintTarget::ToQFont(const TPrintFont& font)
{
    QFont result(font.Face);
    result.setPointSize(font.Size > 0 ? font.Size : 1);
    result.setBold(font.Bold);
    result.setItalic(font.Italic);
    result.setUnderline(font.Underline);
    result.setStrikeOut(font.StrikeOut);
    return result;
}

void TQtPrintTarget::RequireOpen(const char* operation) const
{
    if (!Painter.isActive())
        throw EPrinterError(std::string("Printer is not printing (") + operation + ")");
}

void TQtPrintTarget::SetDocumentName(const QString& name)
{
    Printer.setDocName(name);
}

void TQtPrintTarget::BeginDoc()
{
    if (Painter.isActive())
        throw EPrinterError("Printing already in progress");
    if (TPrintQueue::IsQueue(Printer))
        TPrintQueue::RequireAccepting(Printer.printerName());
    if (!Painter.begin(&Printer))
        throw EPrinterError("The printer could not start the document");
    FPageNumber = 1;
    Pages.assign(1, {});
}

void TQtPrintTarget::NewPage()
{
    RequireOpen("new page");
    ++FPageNumber;
    Pages.emplace_back();
}

std::vector<int> TQtPrintTarget::ChosenPages() const
{
    const QPageRanges ranges = Printer.printRange() == QPrinter::PageRange ? Printer.pageRanges() : QPageRanges();
    std::vector<int> chosen;
    for (int page = 1; page <= static_cast<int>(Pages.size()); ++page)
        if (ranges.isEmpty() || ranges.contains(page))
            chosen.push_back(page);
    return chosen;
}

void TQtPrintTarget::EndDoc()
{
    RequireOpen("end");
    const std::vector<int> chosen = ChosenPages();
    if (chosen.empty()) {
        const int pages = static_cast<int>(Pages.size());
        Abort();
        throw EPrinterError("The pages chosen are not in the list, which has " + std::to_string(pages) +
                            (pages == 1 ? " page" : " pages"));
    }
    // A printer that makes copies itself is told their number by Qt.
    const int copies = Printer.supportsMultipleCopies() ? 1 : std::max(1, Printer.copyCount());
    bool first = true;
    for (int copy = 0; copy < copies; ++copy) {
        for (const int page : chosen) {
            if (!first && !Printer.newPage()) {
                Abort();
                throw EPrinterError("The printer could not start a new page");
            }
            first = false;
            Painter.setPen(QPen(Qt::black, 1, Qt::SolidLine));
            for (const TDrawing& drawing : Pages[static_cast<size_t>(page - 1)])
                drawing(Painter);
        }
    }
    Pages.clear();
    if (!Painter.end())
        throw EPrinterError("The printer could not finish the document");
    FPageNumber = 0;
    if (TPrintQueue::IsQueue(Printer))
        TPrintQueue::RequireSubmitted(Printer.printerName());
}

void TQtPrintTarget::Abort() noexcept
{
    Pages.clear();
    if (!Painter.isActive())
        return;
    // Not every print engine can cancel a job (the PDF writer cannot); the
    // painter is ended either way so that the next run can begin.
    Printer.abort();
    if (Painter.isActive())
        Painter.end();
    FPageNumber = 0;
}

void TQtPrintTarget::Record(TDrawing drawing)
{
    Pages.back().push_back(std::move(drawing));
}

int TQtPrintTarget::PageWidth() const
{
    return Printer.width();
}

int TQtPrintTarget::PageHeight() const
{
    return Printer.height();
}

int TQtPrintTarget::DpiY() const
{
    return Printer.logicalDpiY();
}

QString TQtPrintTarget::Fitted(const QString& text, qreal width, const QFontMetricsF& metrics)
{
    if (metrics.horizontalAdvance(text) <= width)
        return text;
    // Qt's eliding uses the font's own ellipsis, or three full stops where
    // the font has none; it gives back the ellipsis alone when no character
    // fits before it.
    const QString elided = metrics.elidedText(text, Qt::ElideRight, width);
    const QString ellipsis = metrics.inFont(QChar(0x2026)) ? QString(QChar(0x2026)) : QStringLiteral("...");
    if (elided.size() > ellipsis.size() && elided.endsWith(ellipsis))
        return elided;
    return text;
}

void TQtPrintTarget::TextOut(int x, int y, int right, const QString& text, const TPrintFont& font)
{
    RequireOpen("text");
    if (right <= x)
        return;
    const QFont qfont = ToQFont(font);
    Record([x, y, right, text, qfont](QPainter& painter) {
        painter.setFont(qfont);
        const QFontMetricsF metrics = painter.fontMetrics();
        const qreal height = metrics.height();
        // Nothing of the text reaches the next column: the cell clips it,
        // whatever the font's overhangs. The text keeps a space's width clear
        // before the cell's end, so that a cut text and its ellipsis do not
        // run into the next column's text.
        painter.save();
        painter.setClipRect(QRectF(x, y - height, right - x, 3 * height));
        const qreal room = right - x - metrics.horizontalAdvance(QLatin1Char(' '));
        // The cell's top edge is given; QPainter places text by its baseline.
        painter.drawText(QPointF(x, y + metrics.ascent()), Fitted(text, room, metrics));
        painter.restore();
    });
}

void TQtPrintTarget::TextCentred(const TPrintRect& rect, const QString& text, const TPrintFont& font)
{
    RequireOpen("text");
    const QFont qfont = ToQFont(font);
    Record([rect, text, qfont](QPainter& painter) {
        painter.setFont(qfont);
        const QRect box(rect.Left, rect.Top, rect.Right - rect.Left, rect.Bottom - rect.Top);
        // Without Qt::TextDontClip the painter clips the text to the box.
        painter.drawText(box, Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine, text);
    });
}

void TQtPrintTarget::Picture(const TPrintRect& rect, const QImage& image)
{
    RequireOpen("picture");
    Record([rect, image](QPainter& painter) {
        painter.drawImage(QRect(rect.Left, rect.Top, rect.Right - rect.Left, rect.Bottom - rect.Top), image);
    });
}

void TQtPrintTarget::Line(int x1, int y1, int x2, int y2)
{
    RequireOpen("line");
    Record([x1, y1, x2, y2](QPainter& painter) {
        if (y1 == y2 || x1 == x2) {
            // A pen stroke is centred on the line, so a one-pixel pen on a
            // whole pixel coordinate straddles two rows of pixels and each
            // comes out grey, and some engines draw a thin line as a hairline.
            // A straight line is therefore filled as the row (or column) of
            // pixels it covers, from its start up to but not including its
            // end point.
            const QRect pixels = y1 == y2 ? QRect(QPoint(std::min(x1, x2), y1), QSize(std::abs(x2 - x1), 1))
                                          : QRect(QPoint(x1, std::min(y1, y2)), QSize(1, std::abs(y2 - y1)));
            painter.fillRect(pixels, Qt::black);
            return;
        }
        painter.drawLine(x1, y1, x2, y2);
    });
}
