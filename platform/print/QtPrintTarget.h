// The print layer over a QPrinter and a QPainter: real printers and PDF files.
// The printer belongs to the caller (its set-up survives between runs); the
// painter lives from BeginDoc to EndDoc or Abort. The pages are kept until
// EndDoc, which prints those of the page range chosen in the system print
// dialog (numbered as in the whole list) and, where the printer cannot make
// copies itself (a PDF file), as many collated copies as were asked for.
#pragma once

#include "platform/gui/PrintTarget.h"

#include <QPainter>

#include <functional>
#include <vector>

class QPrinter;

class TQtPrintTarget : public IPrintTarget {
public:
    explicit TQtPrintTarget(QPrinter& printer);
    ~TQtPrintTarget() override; // aborts a document still open
    TQtPrintTarget(const TQtPrintTarget&) = delete;
    TQtPrintTarget& operator=(const TQtPrintTarget&) = delete;

    void SetDocumentName(const QString& name) override;
    void BeginDoc() override;
    void NewPage() override;
    void EndDoc() override;
    void Abort() noexcept override;
    int PageNumber() const override { return FPageNumber; }

    int PageWidth() const override;
    int PageHeight() const override;
    int DpiY() const override;

    void TextOut(int x, int y, int right, const QString& text, const TPrintFont& font) override;
    void TextCentred(const TPrintRect& rect, const QString& text, const TPrintFont& font) override;
    void Line(int x1, int y1, int x2, int y2) override;
    void Picture(const TPrintRect& rect, const QImage& image) override;

    // The QFont a print font stands for on this printer.
    static QFont ToQFont(const TPrintFont& font);
    // What of a text is drawn in a cell this wide: the whole text when it
    // fits, else its longest start that fits with an ellipsis after it; when
    // not even one character fits so, the text itself (the cell clips it).
    static QString Fitted(const QString& text, qreal width, const QFontMetricsF& metrics);

private:
    using TDrawing = std::function<void(QPainter&)>;
    void RequireOpen(const char* operation) const;
    void Record(TDrawing drawing);
    // The page numbers to print, in order; all when no range was chosen.
    std::vector<int> ChosenPages() const;

    QPrinter& Printer;
    QPainter Painter;
    int FPageNumber = 0;
    std::vector<std::vector<TDrawing>> Pages; // what each page draws
};
