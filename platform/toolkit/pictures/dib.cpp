#include "platform/toolkit/pictures/dib.h"

namespace toolkit::pictures::dib {

namespace {

void require(Bytes bytes, std::size_t at, std::size_t count)
{
    if (at > bytes.size() || count > bytes.size() - at)
        throw PictureError("The bitmap is truncated");
}

} // namespace

std::uint16_t read_u16(Bytes bytes, std::size_t at)
{
    require(bytes, at, 2);
    return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

std::uint32_t read_u32(Bytes bytes, std::size_t at)
{
    require(bytes, at, 4);
    return static_cast<std::uint32_t>(bytes[at]) | static_cast<std::uint32_t>(bytes[at + 1]) << 8
        | static_cast<std::uint32_t>(bytes[at + 2]) << 16
        | static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

std::int32_t read_i32(Bytes bytes, std::size_t at)
{
    return static_cast<std::int32_t>(read_u32(bytes, at));
}

void check_size(std::int64_t width, std::int64_t height)
{
    if (width <= 0 || height <= 0)
        throw PictureError("The picture has no pixels");
    if (static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) > max_pixels)
        throw PictureError("The picture is too large");
}

Header read_header(Bytes bytes)
{
    Header header;
    header.size = read_u32(bytes, 0);
    // The 12-byte core header of the oldest bitmaps has 16-bit fields and is not read here.
    if (header.size < 40)
        throw PictureError("Unsupported bitmap header");
    require(bytes, 0, header.size);
    header.width = read_i32(bytes, 4);
    header.height = read_i32(bytes, 8);
    if (read_u16(bytes, 12) != 1)
        throw PictureError("The bitmap does not have one plane");
    header.bits = read_u16(bytes, 14);
    if (header.bits != 1 && header.bits != 4 && header.bits != 8 && header.bits != 24
        && header.bits != 32)
        throw PictureError("Unsupported number of bits a pixel in the bitmap");
    if (read_u32(bytes, 16) != 0)
        throw PictureError("Compressed bitmaps are not supported");
    const std::uint32_t colours_used = read_u32(bytes, 32);
    if (header.bits <= 8) {
        const std::uint32_t indexable = 1u << header.bits;
        if (colours_used > indexable)
            throw PictureError("The bitmap's palette is larger than its pixels can index");
        header.palette_entries = colours_used == 0 ? indexable : colours_used;
    } else {
        // A deeper bitmap may still carry a palette, as a hint for displays with fewer colours.
        if (colours_used > 256)
            throw PictureError("The bitmap's palette is too large");
        header.palette_entries = colours_used;
    }
    if (header.width <= 0)
        throw PictureError("The bitmap has no pixels");
    return header;
}

std::uint64_t row_stride(std::int64_t width, int bits)
{
    return (static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(bits) + 31) / 32 * 4;
}

Image unpack(const Layout& layout)
{
    check_size(layout.width, layout.height);
    const std::uint64_t stride = row_stride(layout.width, layout.bits);
    if (layout.pixels.size() / stride < static_cast<std::uint64_t>(layout.height))
        throw PictureError("The bitmap is truncated");
    const std::size_t entries = layout.palette.size() / 4;

    Image image;
    image.width = layout.width;
    image.height = layout.height;
    image.rgba.resize(static_cast<std::size_t>(layout.width) * layout.height * 4);
    std::uint8_t* out = image.rgba.data();
    for (int y = 0; y < layout.height; ++y) {
        const int stored_row = layout.top_down ? y : layout.height - 1 - y;
        const std::uint8_t* row = layout.pixels.data() + stride * stored_row;
        for (int x = 0; x < layout.width; ++x, out += 4) {
            const std::uint8_t* bgr = nullptr;
            if (layout.bits <= 8) {
                unsigned index = 0;
                switch (layout.bits) {
                case 1:
                    index = row[x / 8] >> (7 - x % 8) & 1;
                    break;
                case 4:
                    index = x % 2 == 0 ? row[x / 2] >> 4 : row[x / 2] & 0x0f;
                    break;
                default:
                    index = row[x];
                }
                if (index >= entries)
                    throw PictureError("The bitmap uses a colour outside its palette");
                bgr = layout.palette.data() + index * 4;
            } else {
                bgr = row + static_cast<std::size_t>(x) * (layout.bits / 8);
            }
            out[0] = bgr[2];
            out[1] = bgr[1];
            out[2] = bgr[0];
            out[3] = 255;
        }
    }
    return image;
}

} // namespace toolkit::pictures::dib
