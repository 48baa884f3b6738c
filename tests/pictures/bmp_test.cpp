#include "platform/toolkit/pictures/pictures.h"
#include "tests/pictures/fixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

using namespace toolkit::pictures;
using fixtures::Bytes;
using fixtures::Rgba;

namespace {

// Three pixels a row, so that every depth below 32 bits needs row padding, and two rows, so that
// a bottom-up bitmap read top-down shows.
const std::vector<std::uint32_t> palette { 0x000000, 0xff0000, 0x00ff00, 0x0000ff, 0xffffff };
const std::vector<std::vector<std::uint32_t>> indices { { 1, 0, 1 }, { 0, 1, 1 } };
const std::vector<std::vector<std::uint32_t>> wide_indices { { 1, 2, 3 }, { 4, 3, 2 } };

std::vector<std::vector<std::uint32_t>> colours_of(
    const std::vector<std::vector<std::uint32_t>>& rows)
{
    auto out = rows;
    for (auto& row : out)
        for (auto& v : row)
            v = palette[v];
    return out;
}

Rgba expected(std::uint32_t index)
{
    const std::uint32_t c = palette[index];
    return { static_cast<std::uint8_t>(c >> 16), static_cast<std::uint8_t>(c >> 8),
        static_cast<std::uint8_t>(c), 255 };
}

void expect_pixels(const Image& image, const std::vector<std::vector<std::uint32_t>>& rows)
{
    ASSERT_EQ(image.width, static_cast<int>(rows[0].size()));
    ASSERT_EQ(image.height, static_cast<int>(rows.size()));
    ASSERT_EQ(image.rgba.size(), rows.size() * rows[0].size() * 4);
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            SCOPED_TRACE(testing::Message() << "pixel " << x << "," << y);
            EXPECT_EQ(fixtures::pixel(image, x, y), expected(rows[y][x]));
        }
}

} // namespace

TEST(DecodeBmp, ReadsEveryDepthInBothRowOrders)
{
    struct Case {
        const char* name;
        int bits;
        bool direct; // 24 and 32 bits store colours, the others palette indices
        bool top_down;
        const std::vector<std::vector<std::uint32_t>>& rows;
    };
    // clang-format off
    const Case cases[] = {
        { "1 bit",            1,  false, false, indices },      // bit order within a byte
        { "4 bits",           4,  false, false, wide_indices }, // high nibble is the left pixel
        { "8 bits",           8,  false, false, wide_indices }, // padding of a 3-byte row
        { "24 bits",          24, true,  false, wide_indices }, // blue, green, red order
        { "32 bits",          32, true,  false, wide_indices }, // four bytes a pixel
        { "4 bits, top-down", 4,  false, true,  wide_indices }, // negative height: no flip
        { "24 bits, top-down",24, true,  true,  wide_indices },
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<std::uint32_t> entries(palette.begin(),
            palette.begin()
                + static_cast<std::ptrdiff_t>(
                    std::min<std::size_t>(palette.size(), c.direct ? 0 : 1u << c.bits)));
        const Bytes file = c.direct ? fixtures::bmp_file(colours_of(c.rows), c.bits, {}, c.top_down)
                                    : fixtures::bmp_file(c.rows, c.bits, entries, c.top_down);
        expect_pixels(decode_bmp(file), c.rows);
    }
}

TEST(DecodeBmp, FullPaletteIsImpliedWhenNoCountIsGiven)
{
    Bytes file = fixtures::bmp_file(wide_indices, 4,
        { 0x000000, 0xff0000, 0x00ff00, 0x0000ff, 0xffffff, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0 });
    fixtures::set32(file, 14 + 32, 0);
    expect_pixels(decode_bmp(file), wide_indices);
}

TEST(DecodeBmp, MalformedFilesThrow)
{
    const Bytes good = fixtures::bmp_file(wide_indices, 4, palette);
    ASSERT_NO_THROW(decode_bmp(good));
    using fixtures::set32;
    constexpr std::size_t info = 14; // where the bitmap's own header starts
    struct Case {
        const char* name;
        void (*damage)(Bytes&);
    };
    // clang-format off
    const Case cases[] = {
        { "no magic",                   [](Bytes& f) { f[0] = 'X'; } },
        { "pixels past the end",        [](Bytes& f) { set32(f, 10, 1000); } },
        { "core header",                [](Bytes& f) { set32(f, info, 12); } },
        { "header longer than file",    [](Bytes& f) { set32(f, info, 0xfffffff0); } },
        { "zero width",                 [](Bytes& f) { set32(f, info + 4, 0); } },
        { "negative width",             [](Bytes& f) { set32(f, info + 4, 0xfffffffd); } },
        { "zero height",                [](Bytes& f) { set32(f, info + 8, 0); } },
        { "most negative height",       [](Bytes& f) { set32(f, info + 8, 0x80000000); } },
        { "too many pixels",            [](Bytes& f) { set32(f, info + 4, 1 << 13); set32(f, info + 8, 1 << 12); } },
        { "two planes",                 [](Bytes& f) { f[info + 12] = 2; } },
        { "16 bits a pixel",            [](Bytes& f) { f[info + 14] = 16; } },
        { "run-length compressed",      [](Bytes& f) { set32(f, info + 16, 2); } },
        { "palette beyond 4 bits",      [](Bytes& f) { set32(f, info + 32, 17); } },
        { "index beyond the palette",   [](Bytes& f) { set32(f, info + 32, 3); } }, // pixels use 4
        { "palette cut short",          [](Bytes& f) { f.resize(info + 40 + 8); } },
        { "header cut short",           [](Bytes& f) { f.resize(info + 20); } },
        { "file header only",           [](Bytes& f) { f.resize(14); } },
        { "last row cut short",         [](Bytes& f) { f.pop_back(); } },
        { "empty",                      [](Bytes& f) { f.clear(); } },
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes file = good;
        c.damage(file);
        EXPECT_THROW(decode_bmp(file), PictureError);
    }
}

TEST(DecodeBmp, EveryTruncationOfAProgramPictureThrows)
{
    const Bytes file = fixtures::program_picture("settings.bmp");
    ASSERT_NO_THROW(decode_bmp(file));
    for (std::size_t size = 0; size < file.size(); ++size) {
        SCOPED_TRACE(size);
        EXPECT_THROW(decode_bmp(std::span(file).first(size)), PictureError);
    }
}
