// Build-time helper: converts a PNG rendering of the application icon into
// the raw pixels the program builds its window icon from, so that starting
// the program decodes no image (the PNG decoder and the image format plug-ins
// it would load cost more than the rest of the icon's set-up).
//   IconPixels INPUT.png OUTPUT
// OUTPUT: the width and the height as 32-bit numbers, then the pixels as
// 32-bit ARGB (not premultiplied), row after row, in this machine's byte order.
#include <QFile>
#include <QImage>

#include <cstdint>
#include <cstdio>

int main(int argc, char* argv[])
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: IconPixels INPUT.png OUTPUT\n");
        return 2;
    }
    QImage image(QString::fromLocal8Bit(argv[1]));
    if (image.isNull()) {
        std::fprintf(stderr, "IconPixels: cannot read %s\n", argv[1]);
        return 1;
    }
    image.convertTo(QImage::Format_ARGB32);
    QFile output(QString::fromLocal8Bit(argv[2]));
    if (!output.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "IconPixels: cannot write %s\n", argv[2]);
        return 1;
    }
    const uint32_t size[2] = {uint32_t(image.width()), uint32_t(image.height())};
    bool written = output.write(reinterpret_cast<const char*>(size), sizeof size) == qint64(sizeof size);
    const qint64 row = qint64(image.width()) * 4;
    for (int y = 0; y < image.height() && written; ++y)
        written = output.write(reinterpret_cast<const char*>(image.constScanLine(y)), row) == row;
    if (!written || !output.flush()) {
        std::fprintf(stderr, "IconPixels: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
