#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <utility>
#include <vector>

namespace toolkit::pictures {

// A decoded picture: row-major, top row first, four bytes (R, G, B, A) a pixel.
struct Image {
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgba;
};

// Thrown for any malformed, truncated or unsupported picture file. A decoder that throws has
// produced nothing; the bytes it was handed are never read beyond their end.
class PictureError : public std::runtime_error {
    using runtime_error::runtime_error;
};

// Pictures of more pixels than this are refused, so that a damaged header cannot make a decoder
// allocate gigabytes.
inline constexpr std::uint64_t max_pixels = std::uint64_t { 1 } << 24;

// A Windows bitmap file: 1, 4, 8, 24 or 32 bits a pixel, uncompressed (BI_RGB), stored bottom-up
// or top-down. Every pixel comes out opaque. Throws PictureError.
Image decode_bmp(std::span<const std::uint8_t> file);

// Every image of an icon file, in the order of its directory. The AND mask becomes the alpha
// channel (a set bit is transparent); a 32-bit image with alpha of its own keeps that alpha.
// Images stored as PNG are not supported. Throws PictureError.
std::vector<Image> decode_ico(std::span<const std::uint8_t> file);

// A JPEG file, through libjpeg; grey pictures come out as RGB. Every pixel comes out opaque.
// Damage that libjpeg would only warn about (a file cut short, corrupt entropy data) is an error
// here too. Throws PictureError.
Image decode_jpeg(std::span<const std::uint8_t> file);

// Splits a two-cell picture into its cells, making every pixel that equals the cell's bottom-left
// pixel transparent. Throws PictureError when the picture is empty or its width is odd.
std::pair<Image, Image> split_cells(const Image& picture);

} // namespace toolkit::pictures
