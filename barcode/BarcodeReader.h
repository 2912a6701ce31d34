// Reads the barcode of a book (EAN-13, the ISBN's, or a UPC) from a picture:
// a photo or a scan, from a file or the clipboard. It goes through
// zxing-cpp's single-barcode call only: in zxing-cpp 1.4 the call that looks
// for several barcodes aborts the whole process on ordinary photos of about
// 1200 by 900 pixels. The picture is read in grey, turned as needed.
#pragma once

#include <QString>

class QImage;

namespace BarcodeReader {

// The digits of the barcode found, empty when none was.
QString Read(const QImage& picture);

} // namespace BarcodeReader
