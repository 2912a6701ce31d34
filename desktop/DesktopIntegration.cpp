#include "desktop/DesktopIntegration.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>

#include <cstdint>
#include <cstring>

namespace {

// One size of the icon from its raw pixels (desktop/IconPixels.cpp writes
// them): the width and height, then ARGB rows (not premultiplied). A null image
// where the data does not hold what its size says.
QImage RawIcon(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    // Uncompressed resources are mapped, not copied.
    const uchar* data = file.map(0, file.size());
    uint32_t extent[2] = {0, 0};
    if (!data || file.size() < qint64(sizeof extent))
        return {};
    std::memcpy(extent, data, sizeof extent);
    if (extent[0] == 0 || extent[1] == 0 || extent[0] > 1024 || extent[1] > 1024 ||
        file.size() != qint64(sizeof extent) + qint64(extent[0]) * extent[1] * 4)
        return {};
    // Copied row by row: resource data need not be aligned for 32-bit pixels.
    const int width = int(extent[0]);
    const int height = int(extent[1]);
    QImage image(width, height, QImage::Format_ARGB32);
    const size_t row = size_t(extent[0]) * 4;
    for (int y = 0; y < image.height(); ++y)
        std::memcpy(image.scanLine(y), data + sizeof extent + size_t(y) * row, row);
    return image;
}

} // namespace

QIcon TDesktopIntegration::Icon()
{
    QIcon icon;
    const QDir sizes(QStringLiteral(":/desktop"));
    for (const QString& name : sizes.entryList(QDir::Files)) {
        const QImage image = RawIcon(sizes.filePath(name));
        // Kept in the format the X11 window icon property takes: every window
        // made hands each size to the X server, which would otherwise undo
        // the premultiplied alpha Qt gives a pixmap, pixel by pixel, each time.
        if (!image.isNull())
            icon.addPixmap(QPixmap::fromImage(image, Qt::NoFormatConversion));
    }
    return icon;
}

void TDesktopIntegration::Apply()
{
    QGuiApplication::setWindowIcon(Icon());
    QGuiApplication::setDesktopFileName(QStringLiteral(VOLUMNIA_APP_ID));
}
