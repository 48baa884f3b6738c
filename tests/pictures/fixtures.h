#pragma once

// Small hand-made picture files for the decoder tests, and the program's own picture files.

#include "platform/toolkit/pictures/pictures.h"

#include <array>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fixtures {

using Bytes = std::vector<std::uint8_t>;
using Rgba = std::array<std::uint8_t, 4>;

inline Bytes program_picture(const std::string& name)
{
    std::ifstream in(std::string(SIIRTOLUX_PICTURES_DIR) + "/" + name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline Rgba pixel(const toolkit::pictures::Image& image, int x, int y)
{
    const std::size_t at = (static_cast<std::size_t>(y) * image.width + x) * 4;
    return { image.rgba[at], image.rgba[at + 1], image.rgba[at + 2], image.rgba[at + 3] };
}

inline void put16(Bytes& out, unsigned v)
{
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

inline void put32(Bytes& out, std::uint32_t v)
{
    put16(out, v & 0xffff);
    put16(out, v >> 16);
}

inline void set32(Bytes& out, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// A bitmap's rows as stored: each value is a palette index (1 to 8 bits) or 0xRRGGBB (24 and
// 32 bits), packed and padded to four bytes. Rows are given top first and stored in file order.
inline Bytes packed_rows(const std::vector<std::vector<std::uint32_t>>& rows, int bits,
    bool top_down, std::uint8_t fourth = 0)
{
    Bytes out;
    const int height = static_cast<int>(rows.size());
    for (int i = 0; i < height; ++i) {
        const auto& row = rows[top_down ? i : height - 1 - i];
        Bytes packed((row.size() * bits + 31) / 32 * 4);
        for (std::size_t x = 0; x < row.size(); ++x) {
            const std::uint32_t v = row[x];
            if (bits < 8)
                packed[x * bits / 8] |= static_cast<std::uint8_t>(v << (8 - bits - (x * bits) % 8));
            else if (bits == 8)
                packed[x] = static_cast<std::uint8_t>(v);
            else {
                const std::size_t at = x * (bits / 8);
                packed[at] = static_cast<std::uint8_t>(v);
                packed[at + 1] = static_cast<std::uint8_t>(v >> 8);
                packed[at + 2] = static_cast<std::uint8_t>(v >> 16);
                if (bits == 32)
                    packed[at + 3] = fourth;
            }
        }
        out.insert(out.end(), packed.begin(), packed.end());
    }
    return out;
}

// A BITMAPINFOHEADER followed by the palette (0xRRGGBB entries).
inline Bytes info_header(int width, int height, int bits, const std::vector<std::uint32_t>& palette,
    std::uint32_t colours_used = 0)
{
    Bytes out;
    put32(out, 40);
    put32(out, static_cast<std::uint32_t>(width));
    put32(out, static_cast<std::uint32_t>(height));
    put16(out, 1);
    put16(out, static_cast<unsigned>(bits));
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);
    put32(out, colours_used);
    put32(out, 0);
    for (const std::uint32_t c : palette)
        put32(out, c & 0xffffff);
    return out;
}

// A complete bitmap file.
inline Bytes bmp_file(const std::vector<std::vector<std::uint32_t>>& rows, int bits,
    const std::vector<std::uint32_t>& palette, bool top_down = false)
{
    const int width = static_cast<int>(rows[0].size());
    const int height = static_cast<int>(rows.size());
    const Bytes info = info_header(width, top_down ? -height : height, bits, palette,
        static_cast<std::uint32_t>(palette.size()));
    const Bytes pixels = packed_rows(rows, bits, top_down);
    Bytes out { 'B', 'M' };
    put32(out, static_cast<std::uint32_t>(14 + info.size() + pixels.size()));
    put32(out, 0);
    put32(out, static_cast<std::uint32_t>(14 + info.size()));
    out.insert(out.end(), info.begin(), info.end());
    out.insert(out.end(), pixels.begin(), pixels.end());
    return out;
}

// One image of an icon: header (height doubled), palette, colour rows, AND mask rows (1 where
// transparent).
inline Bytes icon_image(const std::vector<std::vector<std::uint32_t>>& rows, int bits,
    const std::vector<std::uint32_t>& palette, const std::vector<std::vector<std::uint32_t>>& mask,
    std::uint8_t fourth = 0)
{
    const int width = static_cast<int>(rows[0].size());
    const int height = static_cast<int>(rows.size());
    Bytes out
        = info_header(width, height * 2, bits, palette, static_cast<std::uint32_t>(palette.size()));
    const Bytes colours = packed_rows(rows, bits, false, fourth);
    const Bytes and_mask = packed_rows(mask, 1, false);
    out.insert(out.end(), colours.begin(), colours.end());
    out.insert(out.end(), and_mask.begin(), and_mask.end());
    return out;
}

inline Bytes ico_file(const std::vector<Bytes>& images)
{
    Bytes out;
    put16(out, 0);
    put16(out, 1);
    put16(out, static_cast<unsigned>(images.size()));
    std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * images.size());
    for (const Bytes& image : images) {
        out.insert(out.end(), { 0, 0, 0, 0 }); // the decoder takes the sizes from the image itself
        put16(out, 1);
        put16(out, 0);
        put32(out, static_cast<std::uint32_t>(image.size()));
        put32(out, offset);
        offset += static_cast<std::uint32_t>(image.size());
    }
    for (const Bytes& image : images)
        out.insert(out.end(), image.begin(), image.end());
    return out;
}

} // namespace fixtures
