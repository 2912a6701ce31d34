// A print target for tests: a printer of given size and resolution that keeps
// every operation in order instead of drawing. Misuse that a real printer
// would refuse (drawing outside a document, beginning twice) raises
// std::logic_error so that the test fails; faults can be injected to see what
// the caller does with a printer error.
#pragma once

#include "platform/gui/PrintTarget.h"

#include <QString>
#include <QStringList>

#include <vector>

struct TPrintOp {
    enum TKind { DocumentName, BeginDoc, NewPage, EndDoc, Abort, TextOut, Centred, Line, Picture };
    TKind Kind;
    int Page = 0;                     // the page number when the operation ran
    int X = 0, Y = 0, X2 = 0, Y2 = 0; // a text's X2 is the right edge of its cell
    TPrintRect Rect;
    QString Text;
    TPrintFont Font;
};

class TRecordingPrintTarget : public IPrintTarget {
public:
    TRecordingPrintTarget(int width = 4760, int height = 6814, int dpiY = 600);

    void SetDocumentName(const QString& name) override;
    void BeginDoc() override;
    void NewPage() override;
    void EndDoc() override;
    void Abort() noexcept override;
    int PageNumber() const override { return FPageNumber; }

    int PageWidth() const override { return Width; }
    int PageHeight() const override { return Height; }
    int DpiY() const override { return Dpi; }

    void TextOut(int x, int y, int right, const QString& text, const TPrintFont& font) override;
    void TextCentred(const TPrintRect& rect, const QString& text, const TPrintFont& font) override;
    void Line(int x1, int y1, int x2, int y2) override;
    // Recorded with the rectangle and, as its Text, the picture's size "WxH".
    void Picture(const TPrintRect& rect, const QImage& image) override;

    int Width, Height, Dpi;
    // Faults: NewPage raises EPrinterError when it would start this page
    // number; BeginDoc raises when FailBegin is set.
    int FailAtPage = 0;
    bool FailBegin = false;

    std::vector<TPrintOp> Ops;
    bool Open() const { return DocOpen; }
    QString Name;

    // Queries over the record.
    int Pages() const;                           // pages begun
    std::vector<TPrintOp> Texts(int page) const; // TextOut operations of a page, in order
    std::vector<TPrintOp> Texts() const;         // of every page
    QStringList TextStrings(int page) const;
    int Count(TPrintOp::TKind kind) const;
    std::vector<TPrintOp> OfKind(TPrintOp::TKind kind) const;

private:
    void RequireOpen(const char* operation) const;

    bool DocOpen = false;
    int FPageNumber = 0;
};
