// Thumbnail: a book's cover made small for a catalogue to hand out, as JPEG
// bytes at most longerSide pixels on its longer side (never enlarged). Empty
// when the file is missing or is no picture Qt can read: the book is then
// listed without one.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace Thumbnail {

QImage Image(const QString& file, int longerSide);
QByteArray Jpeg(const QString& file, int longerSide);

} // namespace Thumbnail
