// Drawing goes through one QPainter on the printer. Qt scales point sizes by
// the printer's own resolution and puts the origin at the printable area's top
// left corner (the printer is not in full-page mode), so the coordinates the
// print run computes are used as they are.
#include "platform/print/QtPrintTarget.h"

#include "platform/gui/EPrinterError.h"

#include <QPrinter>

#include <algorithm>
#include <cstdlib>

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
    if (!Painter.begin(&Printer))
        throw EPrinterError("The printer could not start the document");
    Painter.setPen(QPen(Qt::black, 1, Qt::SolidLine));
    FPageNumber = 1;
}

void TQtPrintTarget::NewPage()
{
    RequireOpen("new page");
    if (!Printer.newPage())
        throw EPrinterError("The printer could not start a new page");
    ++FPageNumber;
}

void TQtPrintTarget::EndDoc()
{
    RequireOpen("end");
    if (!Painter.end())
        throw EPrinterError("The printer could not finish the document");
    FPageNumber = 0;
}

void TQtPrintTarget::Abort() noexcept
{
    if (!Painter.isActive())
        return;
    // Not every print engine can cancel a job (the PDF writer cannot); the
    // painter is ended either way so that the next run can begin.
    Printer.abort();
    if (Painter.isActive())
        Painter.end();
    FPageNumber = 0;
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

void TQtPrintTarget::TextOut(int x, int y, const QString& text, const TPrintFont& font)
{
    RequireOpen("text");
    Painter.setFont(ToQFont(font));
    // The cell's top edge is given; QPainter places text by its baseline.
    Painter.drawText(QPoint(x, y + Painter.fontMetrics().ascent()), text);
}

void TQtPrintTarget::TextCentred(const TPrintRect& rect, const QString& text, const TPrintFont& font)
{
    RequireOpen("text");
    Painter.setFont(ToQFont(font));
    const QRect box(rect.Left, rect.Top, rect.Right - rect.Left, rect.Bottom - rect.Top);
    // Without Qt::TextDontClip the painter clips the text to the box.
    Painter.drawText(box, Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine, text);
}

void TQtPrintTarget::Line(int x1, int y1, int x2, int y2)
{
    RequireOpen("line");
    if (y1 == y2 || x1 == x2) {
        // A pen stroke is centred on the line, so a one-pixel pen on a whole
        // pixel coordinate straddles two rows of pixels and each comes out
        // grey, and some engines draw a thin line as a hairline. A straight
        // line is therefore filled as the row (or column) of pixels it covers,
        // from its start up to but not including its end point.
        const QRect pixels = y1 == y2 ? QRect(QPoint(std::min(x1, x2), y1), QSize(std::abs(x2 - x1), 1))
                                      : QRect(QPoint(x1, std::min(y1, y2)), QSize(1, std::abs(y2 - y1)));
        Painter.fillRect(pixels, Qt::black);
        return;
    }
    Painter.drawLine(x1, y1, x2, y2);
}
