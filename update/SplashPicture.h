// The splash picture of the update program: a 150 x 60 baseline JFIF JPEG of
// our logo, rendered at build time by tools/splash and compiled into the
// program, so nothing is read from disk to show it.
#pragma once

#include <cstddef>
#include <span>

class TSplashPicture {
public:
    static const unsigned char Data[];
    static const std::size_t Size;

    static std::span<const unsigned char> Bytes() { return {Data, Size}; }
};
