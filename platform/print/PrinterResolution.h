// The resolution a print run draws at. Column positions and the line spacing
// are device pixels of the printer, so the printer must be set to its own
// resolution before the run measures it: Qt's high-resolution mode would
// otherwise draw every printer at 1200 dpi.
#pragma once

#include <QString>

class QPrinter;

class TPrinterResolution {
public:
    // A PDF file has no resolution of its own. The positions the installation
    // gives the columns (20, 950 and 1800) are made for 300 dpi, where they
    // fall 2, 80 and 152 mm from the printable area's left edge: a readable
    // three-column layout on A4 and Letter. At 1200 dpi the same numbers give
    // 0.4, 20 and 38 mm and the columns print over each other.
    static constexpr int FileResolution = 300;

    // Sets the printer to the resolution its driver reports; output to a file,
    // or a printer whose driver reports none, gets FileResolution.
    static void Apply(QPrinter& printer);

    // The default vertical resolution in dots per inch of a print queue, as
    // the print system reports it; 0 when it reports none or cannot be asked.
    static int DriverResolution(const QString& printerName);
};
