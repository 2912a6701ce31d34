#include "tests/support/RecordingPrintTarget.h"

#include "platform/gui/EPrinterError.h"

#include <stdexcept>
#include <string>

TRecordingPrintTarget::TRecordingPrintTarget(int width, int height, int dpiY) : Width(width), Height(height), Dpi(dpiY)
{
}

void TRecordingPrintTarget::RequireOpen(const char* operation) const
{
    if (!DocOpen)
        throw std::logic_error(std::string("print target: ") + operation + " outside a document");
}

void TRecordingPrintTarget::SetDocumentName(const QString& name)
{
    if (DocOpen)
        throw std::logic_error("print target: document named after it began");
    Name = name;
    Ops.push_back({TPrintOp::DocumentName, FPageNumber, 0, 0, 0, 0, {}, name, {}});
}

void TRecordingPrintTarget::BeginDoc()
{
    if (DocOpen)
        throw std::logic_error("print target: document begun twice");
    if (FailBegin)
        throw EPrinterError("recording printer refuses to begin");
    DocOpen = true;
    FPageNumber = 1;
    Ops.push_back({TPrintOp::BeginDoc, FPageNumber, 0, 0, 0, 0, {}, {}, {}});
}

void TRecordingPrintTarget::NewPage()
{
    RequireOpen("new page");
    if (FailAtPage != 0 && FPageNumber + 1 == FailAtPage)
        throw EPrinterError("recording printer refuses page " + std::to_string(FailAtPage));
    ++FPageNumber;
    Ops.push_back({TPrintOp::NewPage, FPageNumber, 0, 0, 0, 0, {}, {}, {}});
}

void TRecordingPrintTarget::EndDoc()
{
    RequireOpen("end");
    Ops.push_back({TPrintOp::EndDoc, FPageNumber, 0, 0, 0, 0, {}, {}, {}});
    DocOpen = false;
    FPageNumber = 0;
}

void TRecordingPrintTarget::Abort() noexcept
{
    if (!DocOpen)
        return;
    Ops.push_back({TPrintOp::Abort, FPageNumber, 0, 0, 0, 0, {}, {}, {}});
    DocOpen = false;
    FPageNumber = 0;
}

void TRecordingPrintTarget::TextOut(int x, int y, int right, const QString& text, const TPrintFont& font)
{
    RequireOpen("text");
    if (right <= x || x < 0 || right > Width)
        throw std::logic_error("print target: text cell " + std::to_string(x) + ".." + std::to_string(right) +
                               " outside the printable width");
    Ops.push_back({TPrintOp::TextOut, FPageNumber, x, y, right, 0, {}, text, font});
}

void TRecordingPrintTarget::TextCentred(const TPrintRect& rect, const QString& text, const TPrintFont& font)
{
    RequireOpen("centred text");
    Ops.push_back({TPrintOp::Centred, FPageNumber, 0, 0, 0, 0, rect, text, font});
}

void TRecordingPrintTarget::Line(int x1, int y1, int x2, int y2)
{
    RequireOpen("line");
    Ops.push_back({TPrintOp::Line, FPageNumber, x1, y1, x2, y2, {}, {}, {}});
}

void TRecordingPrintTarget::Picture(const TPrintRect& rect, const QImage& image)
{
    RequireOpen("picture");
    Ops.push_back({TPrintOp::Picture,
                   FPageNumber,
                   rect.Left,
                   rect.Top,
                   rect.Right,
                   rect.Bottom,
                   rect,
                   QStringLiteral("%1x%2").arg(image.width()).arg(image.height()),
                   {}});
}

int TRecordingPrintTarget::Pages() const
{
    return Count(TPrintOp::BeginDoc) + Count(TPrintOp::NewPage);
}

std::vector<TPrintOp> TRecordingPrintTarget::Texts(int page) const
{
    std::vector<TPrintOp> texts;
    for (const TPrintOp& op : Ops)
        if (op.Kind == TPrintOp::TextOut && op.Page == page)
            texts.push_back(op);
    return texts;
}

std::vector<TPrintOp> TRecordingPrintTarget::Texts() const
{
    return OfKind(TPrintOp::TextOut);
}

QStringList TRecordingPrintTarget::TextStrings(int page) const
{
    QStringList strings;
    for (const TPrintOp& op : Texts(page))
        strings << op.Text;
    return strings;
}

int TRecordingPrintTarget::Count(TPrintOp::TKind kind) const
{
    return static_cast<int>(OfKind(kind).size());
}

std::vector<TPrintOp> TRecordingPrintTarget::OfKind(TPrintOp::TKind kind) const
{
    std::vector<TPrintOp> found;
    for (const TPrintOp& op : Ops)
        if (op.Kind == kind)
            found.push_back(op);
    return found;
}
