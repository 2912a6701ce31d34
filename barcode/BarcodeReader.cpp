#include "barcode/BarcodeReader.h"

#include <QImage>

#include <ZXing/ReadBarcode.h>

namespace BarcodeReader {

QString Read(const QImage& picture)
{
    if (picture.isNull())
        return {};
    const QImage grey = picture.convertToFormat(QImage::Format_Grayscale8);
    const ZXing::ImageView view(grey.constBits(), grey.width(), grey.height(), ZXing::ImageFormat::Lum,
                                static_cast<int>(grey.bytesPerLine()));
    ZXing::DecodeHints hints;
    hints.setFormats(ZXing::BarcodeFormat::EAN13 | ZXing::BarcodeFormat::EAN8 | ZXing::BarcodeFormat::UPCA |
                     ZXing::BarcodeFormat::UPCE);
    hints.setTryHarder(true);
    hints.setTryRotate(true);
    // Never ReadBarcodes: see the header.
    const ZXing::Result result = ZXing::ReadBarcode(view, hints);
    return result.isValid() ? QString::fromStdString(result.text()) : QString();
}

} // namespace BarcodeReader
