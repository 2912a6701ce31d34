// TCatalogueExport: volumnia-csv's catalogues to hand out, the web page (a
// folder, csv/WebCatalogue) and the PDF (a file). The PDF needs Qt's painting
// and fonts, which this Core-only library does not link: the program gives
// its writer (catalogue/PdfCatalogue) with SetPdfWriter, and without one a
// PDF is refused; so the web page's thumbnails their maker (without one the
// covers are copied whole).
#pragma once

#include "csv/CatalogueContent.h"
#include "csv/WebCatalogue.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <ostream>

struct TCatalogueExportOptions {
    bool Pdf = false;
    QString Target; // the folder of the web page, the PDF's file
    TCatalogueOrder Order = TCatalogueOrder::Author;
    bool Thumbnails = false; // the covers made small, beside each book
};

class TCatalogueExport {
public:
    using TPdfWriter = std::function<QByteArray(const TCatalogueContent&)>;
    static void SetPdfWriter(TPdfWriter writer);
    static void SetThumbnailMaker(TWebCatalogue::TThumbnailMaker maker);

    // Reads the working folder's catalogue and writes it; a line about it to
    // report. Raises ECsvRefusal, having written nothing, when the target is
    // one of the catalogue's own files or the PDF cannot be made.
    static void Run(const TCatalogueExportOptions& options, std::ostream& report);
};
