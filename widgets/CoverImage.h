// Cover pictures for the windows: any picture made into the JPEG the covers
// folder keeps (engine/Covers.h), and a kept cover read back at the size it
// is shown. A file is read only when its picture is asked for.
#pragma once

#include <QImage>
#include <QSize>
#include <QString>

#include <string>

namespace CoverImage {

// The longer side of a kept cover at most, in pixels.
inline constexpr int MaxSide = 600;

// The JPEG bytes of image scaled to at most MaxSide pixels on its longer
// side (never enlarged), what is transparent in it on white; empty for a
// null image.
std::string Jpeg(const QImage& image);
// The picture in a file the user chose or dropped: a regular file of a
// sensible size only (a FIFO or a device would hang the read); a null image
// when it is none or no picture.
QImage FromFile(const QString& path);
// The cover kept under a "cover" value of the database's, scaled to fit in
// box (its proportions kept; never enlarged). The JPEG is decoded at the
// reduced size directly, which is what makes showing one quick. A null image
// for no value, a missing file or one that is no picture.
QImage Read(const std::string& database, const std::string& value, const QSize& box);

} // namespace CoverImage
