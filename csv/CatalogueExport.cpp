#include "csv/CatalogueExport.h"

#include "csv/CsvCatalogue.h"
#include "csv/CsvExport.h"
#include "csv/ECsvRefusal.h"
#include "engine/DueDates.h"
#include "platform/Cp1252.h"
#include "platform/TextFile.h"

#include <QDate>
#include <QDir>

namespace {

TCatalogueExport::TPdfWriter& PdfWriter()
{
    static TCatalogueExport::TPdfWriter writer;
    return writer;
}

TWebCatalogue::TThumbnailMaker& ThumbnailMaker()
{
    static TWebCatalogue::TThumbnailMaker maker;
    return maker;
}

} // namespace

void TCatalogueExport::SetPdfWriter(TPdfWriter writer)
{
    PdfWriter() = std::move(writer);
}

void TCatalogueExport::SetThumbnailMaker(TWebCatalogue::TThumbnailMaker maker)
{
    ThumbnailMaker() = std::move(maker);
}

void TCatalogueExport::Run(const TCatalogueExportOptions& options, std::ostream& report)
{
    if (options.Pdf && !PdfWriter())
        throw ECsvRefusal("this volumnia-csv has no PDF writer");
    TCsvCatalogue catalogue;
    // Due dates of loans made before the details still in their old file
    // reach each book's details here, as they do for every export.
    TDueDates dues(catalogue.Catalogue(), [] { return QDate::currentDate(); });
    if (const std::string note = dues.TakeNote(); !note.empty())
        report << "Note: " << TCsvCatalogue::Utf8(note) << "\n";
    TCatalogueContent content = TCatalogueContent::Of(catalogue.Database(), options.Order);
    content.Thumbnails = options.Thumbnails;

    if (options.Pdf) {
        TCsvExport::RefuseCatalogueFile(options.Target, catalogue.DatabasePath());
        if (!Cp1252::CanHold(options.Target))
            throw ECsvRefusal(options.Target.toStdString() +
                              ": a file name with letters outside Windows-1252; choose another");
        const QByteArray pdf = PdfWriter()(content);
        TTextFile::WriteAtomically(Cp1252::FromQString(options.Target), pdf.toStdString());
    } else {
        for (const char* name : {TWebCatalogue::PageName, TWebCatalogue::StyleName, TWebCatalogue::ScriptName})
            TCsvExport::RefuseCatalogueFile(QDir(options.Target).filePath(QString::fromLatin1(name)),
                                            catalogue.DatabasePath());
        TWebCatalogue::Write(content, options.Target, ThumbnailMaker());
    }
    const size_t books = content.Books.size();
    report << books << (books == 1 ? " book" : " books") << " written to " << options.Target.toStdString() << "\n";
}
