#include "catalogue/Thumbnail.h"

#include <QBuffer>
#include <QImageReader>

namespace Thumbnail {

QImage Image(const QString& file, int longerSide)
{
    QImageReader reader(file);
    reader.setAutoTransform(true);
    // JPEG decodes straight at a smaller size, far faster than whole then scaled.
    const QSize size = reader.size();
    if (size.isValid() && (size.width() > longerSide || size.height() > longerSide))
        reader.setScaledSize(size.scaled(longerSide, longerSide, Qt::KeepAspectRatio));
    QImage image = reader.read();
    if (image.isNull())
        return {};
    if (image.width() > longerSide || image.height() > longerSide)
        image = image.scaled(longerSide, longerSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image.convertToFormat(QImage::Format_RGB32);
}

QByteArray Jpeg(const QString& file, int longerSide)
{
    const QImage image = Image(file, longerSide);
    QByteArray bytes;
    if (image.isNull())
        return bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "JPEG", 85))
        return {};
    return bytes;
}

} // namespace Thumbnail
