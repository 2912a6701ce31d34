// A book's barcode read from pictures made here with zxing's writer: plain,
// turned, tilted and noisy, in a photo-sized frame; and a busy 1200 by 900
// photo without a barcode read to its end (the size on which zxing-cpp 1.4's
// several-barcode call, which the reader never makes, aborts the process).
#include "barcode/BarcodeReader.h"

#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QTransform>

#include <ZXing/BitMatrix.h>
#include <ZXing/MultiFormatWriter.h>

#include <gtest/gtest.h>

namespace {

QImage BarcodeOf(const std::string& digits)
{
    const ZXing::BitMatrix bits =
        ZXing::MultiFormatWriter(ZXing::BarcodeFormat::EAN13).setMargin(12).encode(digits, 380, 160);
    QImage picture(bits.width(), bits.height(), QImage::Format_Grayscale8);
    for (int y = 0; y < bits.height(); ++y)
        for (int x = 0; x < bits.width(); ++x)
            picture.scanLine(y)[x] = bits.get(x, y) ? 0 : 255;
    return picture;
}

// The barcode turned by degrees on a grey 1200 by 900 frame, every pixel
// moved by up to noise levels.
QImage Photo(const QImage& barcode, qreal degrees, int noise)
{
    QImage photo(1200, 900, QImage::Format_RGB32);
    photo.fill(QColor(170, 160, 150));
    {
        QPainter painter(&photo);
        painter.translate(600, 450);
        painter.rotate(degrees);
        painter.drawImage(-barcode.width() / 2, -barcode.height() / 2, barcode.convertToFormat(QImage::Format_RGB32));
    }
    QRandomGenerator random(7);
    for (int y = 0; y < photo.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(photo.scanLine(y));
        for (int x = 0; x < photo.width(); ++x) {
            const int shift = noise > 0 ? random.bounded(-noise, noise + 1) : 0;
            const int grey = std::clamp(qGray(line[x]) + shift, 0, 255);
            line[x] = qRgb(grey, grey, grey);
        }
    }
    return photo;
}

TEST(BarcodeReaderTest, ReadsTheBarcodeTurnedTiltedAndNoisy)
{
    const QImage barcode = BarcodeOf("9780261102217");
    EXPECT_EQ(BarcodeReader::Read(barcode), QStringLiteral("9780261102217"));
    for (const auto& [degrees, noise] : {std::pair{0.0, 40}, {90.0, 30}, {180.0, 30}, {4.0, 25}}) {
        EXPECT_EQ(BarcodeReader::Read(Photo(barcode, degrees, noise)), QStringLiteral("9780261102217"))
            << degrees << " degrees, noise " << noise;
    }
}

TEST(BarcodeReaderTest, APhotoWithoutABarcodeIsReadToItsEnd)
{
    // Strokes and blotches like a bookshop shelf's, no barcode among them.
    QImage photo(1200, 900, QImage::Format_RGB32);
    photo.fill(Qt::white);
    QRandomGenerator random(11);
    {
        QPainter painter(&photo);
        for (int i = 0; i < 400; ++i) {
            painter.setPen(QPen(QColor::fromRgb(random.generate()), random.bounded(1, 9)));
            painter.drawLine(random.bounded(1200), random.bounded(900), random.bounded(1200), random.bounded(900));
        }
    }
    EXPECT_EQ(BarcodeReader::Read(Photo(photo, 0, 60)), QString());
    EXPECT_EQ(BarcodeReader::Read(QImage()), QString());
}

} // namespace
