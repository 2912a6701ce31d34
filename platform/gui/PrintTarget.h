// The printer as a print run sees it: one document of pages, measured and drawn
// in device pixels of the selected printer with the origin at the top left
// corner of the printable area. The Qt implementation draws on a QPrinter; tests
// use a recording one. Failures raise EPrinterError.
#pragma once

#include "platform/gui/PrintFont.h"

#include <QImage>
#include <QString>

// Edges in device pixels; Right and Bottom lie just outside the rectangle.
struct TPrintRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    bool operator==(const TPrintRect&) const = default;
};

class IPrintTarget {
public:
    virtual ~IPrintTarget() = default;

    // The name the print queue shows; set before BeginDoc.
    virtual void SetDocumentName(const QString& name) = 0;
    // Opens the document; its first page starts and the page number is 1.
    virtual void BeginDoc() = 0;
    // Finishes the current page and starts the next; the page number goes up by one.
    virtual void NewPage() = 0;
    // Finishes the last page and closes the document.
    virtual void EndDoc() = 0;
    // Closes a document that a failure interrupted. Never raises, and does
    // nothing when no document is open, so it is safe on any error path.
    virtual void Abort() noexcept = 0;
    virtual int PageNumber() const = 0;

    // Printable area in device pixels, and the vertical resolution in dots per inch.
    virtual int PageWidth() const = 0;
    virtual int PageHeight() const = 0;
    virtual int DpiY() const = 0;

    // Text placed by the top left corner of its cell, which ends just before
    // right: nothing is drawn at or beyond it. A text too long for its cell
    // (less a space's width kept clear before the next column) is cut and
    // ends in an ellipsis where at least one character fits.
    virtual void TextOut(int x, int y, int right, const QString& text, const TPrintFont& font) = 0;
    // Text centred horizontally in the rectangle, at its top edge, clipped to it.
    virtual void TextCentred(const TPrintRect& rect, const QString& text, const TPrintFont& font) = 0;
    // A solid black line one device pixel wide.
    virtual void Line(int x1, int y1, int x2, int y2) = 0;
    // A picture filling the rectangle (the caller keeps its proportions).
    virtual void Picture(const TPrintRect& rect, const QImage& image) = 0;
};
