#include "platform/toolkit/pictures/dib.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace toolkit::pictures {

namespace {

// One image of an icon: a bitmap header whose height counts both the colour bits and the AND
// mask below them, the palette, the colour bits, then the mask (one bit a pixel, set where
// the icon is transparent). Both are stored bottom-up.
Image decode_icon_image(dib::Bytes data)
{
    const dib::Header header = dib::read_header(data);
    if (header.height <= 0 || header.height % 2 != 0)
        throw PictureError("The icon image's height does not cover its mask");
    const int width = header.width;
    const int height = header.height / 2;
    dib::check_size(width, height);

    const std::uint64_t palette_size = header.palette_entries * 4;
    const std::uint64_t colour_size = dib::row_stride(width, header.bits) * height;
    const std::uint64_t mask_stride = dib::row_stride(width, 1);
    const std::uint64_t mask_offset = header.size + palette_size + colour_size;
    if (mask_offset + mask_stride * height > data.size())
        throw PictureError("The icon image is truncated");

    dib::Layout layout;
    layout.width = width;
    layout.height = height;
    layout.bits = header.bits;
    layout.palette = data.subspan(header.size, header.bits <= 8 ? palette_size : 0);
    layout.pixels = data.subspan(header.size + palette_size, colour_size);
    Image image = dib::unpack(layout);

    // A 32-bit image carries its own alpha in the fourth byte; older writers left it all zero
    // and relied on the mask alone.
    bool has_alpha = false;
    if (header.bits == 32) {
        const std::uint64_t stride = dib::row_stride(width, 32);
        for (int y = 0; y < height && !has_alpha; ++y)
            for (int x = 0; x < width && !has_alpha; ++x)
                has_alpha = layout.pixels[stride * y + x * 4 + 3] != 0;
    }

    const dib::Bytes mask = data.subspan(mask_offset, mask_stride * height);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* mask_row = mask.data() + mask_stride * (height - 1 - y);
        const std::uint8_t* colour_row
            = layout.pixels.data() + dib::row_stride(width, header.bits) * (height - 1 - y);
        for (int x = 0; x < width; ++x) {
            std::uint8_t& alpha = image.rgba[(static_cast<std::size_t>(y) * width + x) * 4 + 3];
            if (has_alpha)
                alpha = colour_row[x * 4 + 3];
            else if (mask_row[x / 8] >> (7 - x % 8) & 1)
                alpha = 0;
        }
    }
    return image;
}

} // namespace

// An icon file is a 6-byte header (0, type 1, the number of images) and a 16-byte directory
// entry for each image, whose last two fields are the image's length and offset in the file.
std::vector<Image> decode_ico(std::span<const std::uint8_t> file)
{
    if (file.size() < 6 || dib::read_u16(file, 0) != 0 || dib::read_u16(file, 2) != 1)
        throw PictureError("Not an icon file");
    const std::size_t count = dib::read_u16(file, 4);
    if (count == 0)
        throw PictureError("The icon file holds no images");
    if (6 + count * 16 > file.size())
        throw PictureError("The icon file's directory is truncated");

    std::vector<Image> images;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t entry = 6 + i * 16;
        const std::uint64_t length = dib::read_u32(file, entry + 8);
        const std::uint64_t offset = dib::read_u32(file, entry + 12);
        if (offset + length > file.size())
            throw PictureError("The icon file is truncated");
        const dib::Bytes data = file.subspan(offset, length);
        constexpr std::array<std::uint8_t, 4> png_signature { 0x89, 'P', 'N', 'G' };
        if (data.size() >= 4
            && std::equal(png_signature.begin(), png_signature.end(), data.begin()))
            throw PictureError("Icon images stored as PNG are not supported");
        images.push_back(decode_icon_image(data));
    }
    return images;
}

} // namespace toolkit::pictures
