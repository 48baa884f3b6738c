#pragma once

#include "platform/toolkit/pictures/pictures.h"

#include <cstddef>
#include <cstdint>
#include <span>

// The device-independent bitmap that both bitmap files and icon images are made of.
namespace toolkit::pictures::dib {

using Bytes = std::span<const std::uint8_t>;

// Little-endian reads that throw PictureError rather than read past the end of the bytes.
std::uint16_t read_u16(Bytes bytes, std::size_t at);
std::uint32_t read_u32(Bytes bytes, std::size_t at);
std::int32_t read_i32(Bytes bytes, std::size_t at);

// The fields of a BITMAPINFOHEADER (or a longer header that begins with one) this decoder uses.
struct Header {
    std::uint32_t size = 0; // the header's own length; the palette follows it
    std::int32_t width = 0;
    std::int32_t height = 0; // negative for a top-down bitmap
    int bits = 0;
    std::size_t palette_entries = 0;
};

// Reads and checks the header at the start of the bytes: uncompressed, one plane, 1, 4, 8, 24 or
// 32 bits a pixel, a positive width, a palette no larger than the bits can index. Throws
// PictureError.
Header read_header(Bytes bytes);

// Bytes in one stored row: rows are padded to a multiple of four bytes.
std::uint64_t row_stride(std::int64_t width, int bits);

// Where the colour bits of one bitmap lie and how to read them.
struct Layout {
    int width = 0;
    int height = 0;
    bool top_down = false;
    int bits = 0;
    Bytes palette; // four bytes (blue, green, red, unused) an entry
    Bytes pixels; // holds at least row_stride(width, bits) * height bytes
};

// Unpacks the colour bits into an opaque picture. Throws PictureError for a colour index beyond
// the palette or a picture larger than max_pixels.
Image unpack(const Layout& layout);

// Throws PictureError unless width x height is a picture size this decoder accepts.
void check_size(std::int64_t width, std::int64_t height);

} // namespace toolkit::pictures::dib
