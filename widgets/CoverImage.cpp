#include "widgets/CoverImage.h"

#include "engine/Covers.h"
#include "platform/Cp1252.h"
#include "platform/TextFile.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>

namespace {

// A photograph straight from a camera is a few megabytes; anything far
// beyond is no picture a user means as a cover.
constexpr qint64 MaxPictureFile = 64 * 1024 * 1024;

QImage Decoded(const QByteArray& bytes, const QSize& box)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    if (box.isValid()) {
        const QSize size = reader.size();
        if (size.isValid() && (size.width() > box.width() || size.height() > box.height()))
            reader.setScaledSize(size.scaled(box, Qt::KeepAspectRatio));
    }
    return reader.read();
}

} // namespace

namespace CoverImage {

std::string Jpeg(const QImage& image)
{
    if (image.isNull())
        return {};
    QImage scaled = image;
    if (image.width() > MaxSide || image.height() > MaxSide)
        scaled = image.scaled(MaxSide, MaxSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    // JPEG holds no transparency: what a PNG leaves open is white paper.
    QImage flat(scaled.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    {
        QPainter painter(&flat);
        painter.drawImage(0, 0, scaled);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!flat.save(&buffer, "JPEG", 85))
        return {};
    return bytes.toStdString();
}

QImage FromFile(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > MaxPictureFile)
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return Decoded(file.readAll(), QSize());
}

QImage Read(const std::string& database, const std::string& value, const QSize& box)
{
    const std::string path = Covers::PathOf(database, value);
    if (path.empty())
        return {};
    std::string bytes;
    try {
        bytes = TTextFile::ReadAll(path);
    } catch (const std::exception&) {
        return {}; // a cover gone or unreadable shows as none
    }
    return Decoded(QByteArray::fromStdString(bytes), box);
}

} // namespace CoverImage
