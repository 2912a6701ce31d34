// The print layer over a QPrinter and a QPainter: real printers and PDF files.
// The printer belongs to the caller (its set-up survives between runs); the
// painter lives from BeginDoc to EndDoc or Abort.
#pragma once

#include "platform/gui/PrintTarget.h"

#include <QPainter>

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

    void TextOut(int x, int y, const QString& text, const TPrintFont& font) override;
    void TextCentred(const TPrintRect& rect, const QString& text, const TPrintFont& font) override;
    void Line(int x1, int y1, int x2, int y2) override;

    // The QFont a print font stands for on this printer.
    static QFont ToQFont(const TPrintFont& font);

private:
    void RequireOpen(const char* operation) const;

    QPrinter& Printer;
    QPainter Painter;
    int FPageNumber = 0;
};
