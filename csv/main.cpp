// Entry of volumnia-csv: the command line of TCsvCommand on standard output
// and standard error. It never opens a window: a PDF is drawn with Qt's
// painting and fonts on the offscreen platform, and every other command runs
// on Qt Core alone.
#include "catalogue/PdfCatalogue.h"
#include "catalogue/Thumbnail.h"
#include "csv/CatalogueExport.h"
#include "csv/CsvCommand.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <iostream>
#include <memory>
#include <string>
#include <vector>

int main(int argc, char* argv[])
{
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    std::unique_ptr<QCoreApplication> app;
    if (TCsvCommand::NeedsGui(arguments)) {
        // No display is needed, nor looked for, to draw a document.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
        TCatalogueExport::SetPdfWriter(&PdfCatalogue::Write);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication::setApplicationName(QStringLiteral("volumnia-csv"));
    // A picture is read and scaled with Qt Gui's image classes, which need
    // no QGuiApplication.
    TCatalogueExport::SetThumbnailMaker(&Thumbnail::Jpeg);
    std::ios::sync_with_stdio(false);
    const int code = TCsvCommand::Run(arguments, std::cout, std::cerr);
    std::cout.flush();
    return code;
}
