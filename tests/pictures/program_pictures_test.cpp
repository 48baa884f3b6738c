// The button pictures the program carries: their files, their cells and what each cell shows.

#include "platform/toolkit/pictures/pictures.h"
#include "tests/pictures/fixtures.h"

#include <gtest/gtest.h>

#include <set>

using namespace toolkit::pictures;
using fixtures::Bytes;
using fixtures::Rgba;

namespace {

constexpr Rgba olive { 128, 128, 0, 255 };

std::uint32_t u32(const Bytes& file, std::size_t at)
{
    return file[at] | file[at + 1] << 8 | file[at + 2] << 16
        | static_cast<std::uint32_t>(file[at + 3]) << 24;
}

std::set<Rgba> colours(const Image& image)
{
    std::set<Rgba> out;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            out.insert(fixtures::pixel(image, x, y));
    return out;
}

struct Button {
    const char* file;
    int width, height;
    std::size_t file_size;
    std::vector<Rgba> shown; // colours the first cell must show
};

// clang-format off
const Button buttons[] = {
    { "copy.bmp",     32, 16, 374, { { 255, 255, 0, 255 }, { 0, 0, 0, 255 } } },
    { "settings.bmp", 32, 16, 374, { { 255, 255, 255, 255 }, { 255, 255, 0, 255 },
                                     { 255, 0, 0, 255 }, { 0, 255, 255, 255 }, { 0, 0, 0, 255 } } },
    { "close.bmp",    36, 18, 478, { { 0, 0, 128, 255 }, { 0, 128, 0, 255 }, { 0, 0, 0, 255 } } },
};
// clang-format on

} // namespace

TEST(ButtonPictures, AreUncompressedSixteenColourBitmapsOfTheirSize)
{
    for (const Button& b : buttons) {
        SCOPED_TRACE(b.file);
        const Bytes file = fixtures::program_picture(b.file);
        ASSERT_EQ(file.size(), b.file_size);
        EXPECT_EQ(u32(file, 2), file.size()); // the file header's own size
        EXPECT_EQ(u32(file, 14), 40u);
        EXPECT_EQ(file[14 + 14], 4); // bits a pixel
        EXPECT_EQ(u32(file, 14 + 16), 0u); // BI_RGB
        const std::uint32_t palette = u32(file, 14 + 32);
        EXPECT_TRUE(palette == 0 || palette == 16);
        EXPECT_EQ(u32(file, 10), 14u + 40 + 16 * 4);
        const Image image = decode_bmp(file);
        EXPECT_EQ(image.width, b.width);
        EXPECT_EQ(image.height, b.height);
    }
}

TEST(ButtonPictures, CellsHaveOliveCornersAndAGreyAndWhiteDisabledLook)
{
    for (const Button& b : buttons) {
        SCOPED_TRACE(b.file);
        const Image whole = decode_bmp(fixtures::program_picture(b.file));
        EXPECT_EQ(fixtures::pixel(whole, 0, b.height - 1), olive);
        EXPECT_EQ(fixtures::pixel(whole, b.width / 2, b.height - 1), olive);

        const auto [enabled, disabled] = split_cells(whole);
        for (const Image* cell : { &enabled, &disabled })
            for (int y = 0; y < cell->height; ++y)
                for (int x = 0; x < cell->width; ++x) {
                    const Rgba p = fixtures::pixel(*cell, x, y);
                    const bool is_olive = p[0] == 128 && p[1] == 128 && p[2] == 0;
                    ASSERT_EQ(p[3], is_olive ? 0 : 255) << x << "," << y;
                }

        const std::set<Rgba> first = colours(enabled);
        for (const Rgba& c : b.shown)
            EXPECT_TRUE(first.count(c)) << int(c[0]) << " " << int(c[1]) << " " << int(c[2]);

        // The disabled cell is grey lines with white beside them, on the transparent face.
        const std::set<Rgba> grey_and_white { { 128, 128, 0, 0 }, { 128, 128, 128, 255 },
            { 255, 255, 255, 255 } };
        EXPECT_EQ(colours(disabled), grey_and_white);
    }
}

TEST(DesktopIcons, ArePngFilesOfTheirSizes)
{
    for (const int size : { 16, 32, 48 }) {
        SCOPED_TRACE(size);
        const Bytes file = fixtures::program_picture("siirtolux-" + std::to_string(size) + ".png");
        ASSERT_GE(file.size(), 33u);
        const Bytes signature { 0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n' };
        EXPECT_TRUE(std::equal(signature.begin(), signature.end(), file.begin()));
        EXPECT_EQ(std::string(file.begin() + 12, file.begin() + 16), "IHDR");
        auto big = [&](std::size_t at) {
            return static_cast<int>(
                file[at] << 24 | file[at + 1] << 16 | file[at + 2] << 8 | file[at + 3]);
        };
        EXPECT_EQ(big(16), size);
        EXPECT_EQ(big(20), size);
    }
}
