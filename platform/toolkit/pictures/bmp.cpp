#include "platform/toolkit/pictures/dib.h"

#include <cstdint>
#include <limits>

namespace toolkit::pictures {

// A bitmap file is a 14-byte file header ("BM", the file size, the offset of the colour bits)
// followed by the bitmap's own header, its palette and, at that offset, its colour bits.
Image decode_bmp(std::span<const std::uint8_t> file)
{
    constexpr std::size_t file_header_size = 14;
    if (file.size() < file_header_size || file[0] != 'B' || file[1] != 'M')
        throw PictureError("Not a bitmap file");
    const std::uint32_t bits_offset = dib::read_u32(file, 10);

    const dib::Bytes info = file.subspan(file_header_size);
    const dib::Header header = dib::read_header(info);
    if (header.height == std::numeric_limits<std::int32_t>::min())
        throw PictureError("The bitmap is too large");

    const std::uint64_t palette_offset = file_header_size + std::uint64_t { header.size };
    const std::uint64_t palette_size = header.bits <= 8 ? header.palette_entries * 4 : 0;
    if (palette_offset + palette_size > file.size())
        throw PictureError("The bitmap's palette is truncated");
    if (bits_offset > file.size())
        throw PictureError("The bitmap is truncated");

    dib::Layout layout;
    layout.width = header.width;
    layout.height = header.height < 0 ? -header.height : header.height;
    layout.top_down = header.height < 0;
    layout.bits = header.bits;
    layout.palette = file.subspan(palette_offset, palette_size);
    layout.pixels = file.subspan(bits_offset);
    return dib::unpack(layout);
}

} // namespace toolkit::pictures
