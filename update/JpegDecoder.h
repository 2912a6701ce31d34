// Decodes a JPEG picture held in memory with libjpeg. libjpeg's errors come
// back as EJpegError instead of ending the process, and a picture that
// libjpeg could only decode with warnings (cut off, damaged entropy data) is
// refused rather than shown half grey.
#pragma once

#include <QImage>

#include <cstddef>
#include <span>

class TJpegDecoder {
public:
    // Larger pictures are refused before any pixel memory is taken.
    static constexpr std::size_t MaxPixels = 16u * 1024u * 1024u;

    // An RGB888 image of the picture's natural size; raises EJpegError.
    static QImage Decode(std::span<const unsigned char> data);
};
