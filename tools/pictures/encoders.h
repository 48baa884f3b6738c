#pragma once

#include "platform/toolkit/pictures/pictures.h"
#include "tools/pictures/palette.h"

#include <cstdint>
#include <vector>

namespace pictures {

using Bytes = std::vector<std::uint8_t>;

// A 4-bit bitmap file, bottom-up, with a 16-entry palette. Throws std::runtime_error for a
// palette of more than 16 colours.
Bytes encode_bmp4(const Indexed& picture);

// One image of an icon file and the depth to store it at (4 or 8 bits a pixel).
struct IconImage {
    Indexed picture;
    int bits = 4;
};

// An icon file of the given images, each with its AND mask from the picture's hidden pixels.
Bytes encode_ico(const std::vector<IconImage>& images);

// A PNG file: 8-bit RGBA, deflated with zlib.
Bytes encode_png(const toolkit::pictures::Image& image);

// A baseline JPEG file through libjpeg: three components, Y sampled 2 x 2 and the colour 1 x 1.
// Alpha is ignored.
Bytes encode_jpeg(const toolkit::pictures::Image& image, int quality);

} // namespace pictures
