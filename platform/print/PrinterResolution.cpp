// The printer's own resolution comes from CUPS: Qt's print support sends
// every job to CUPS as a PDF and reports no resolution for a queue, while the
// queue's driver (its PPD or the printer itself over IPP) states the default
// it prints at as the attribute printer-resolution-default.
// The CUPS library is loaded when a print run first asks (Cups.h).
#include "platform/print/PrinterResolution.h"

#include "platform/print/Cups.h"

#include <QPrinter>

#include <cmath>

namespace {

// Reads the vertical resolution of a resolution attribute in dots per inch.
int DotsPerInch(const TCups& cups, ipp_attribute_t* attribute)
{
    if (!attribute || cups.GetValueTag(attribute) != IPP_TAG_RESOLUTION || cups.GetCount(attribute) < 1)
        return 0;
    int vertical = 0;
    ipp_res_t units = IPP_RES_PER_INCH;
    cups.GetResolution(attribute, 0, &vertical, &units);
    if (vertical <= 0)
        return 0;
    return units == IPP_RES_PER_CM ? static_cast<int>(std::lround(vertical * 2.54)) : vertical;
}

} // namespace

void TPrinterResolution::Apply(QPrinter& printer)
{
    const bool toFile = printer.outputFormat() == QPrinter::PdfFormat || !printer.outputFileName().isEmpty();
    const int driver = toFile ? 0 : DriverResolution(printer.printerName());
    printer.setResolution(driver > 0 ? driver : FileResolution);
}

int TPrinterResolution::DriverResolution(const QString& printerName)
{
    // Qt names a queue's instance as "queue/instance"; an empty name is the
    // default queue.
    const QByteArray name = printerName.section(QLatin1Char('/'), 0, 0).toLocal8Bit();
    const QByteArray instance = printerName.section(QLatin1Char('/'), 1).toLocal8Bit();
    const TCups* cups = TCups::Get();
    if (!cups)
        return 0;
    cups_dest_t* dest = cups->GetNamedDest(CUPS_HTTP_DEFAULT, name.isEmpty() ? nullptr : name.constData(),
                                           instance.isEmpty() ? nullptr : instance.constData());
    if (!dest)
        return 0;
    int result = 0;
    if (cups_dinfo_t* info = cups->CopyDestInfo(CUPS_HTTP_DEFAULT, dest)) {
        result = DotsPerInch(*cups, cups->FindDestDefault(CUPS_HTTP_DEFAULT, dest, info, "printer-resolution"));
        cups->FreeDestInfo(info);
    }
    cups->FreeDests(1, dest);
    return result;
}
