#include "platform/toolkit/pictures/pictures.h"
#include "tests/pictures/fixtures.h"

#include <gtest/gtest.h>

using namespace toolkit::pictures;
using fixtures::Bytes;
using fixtures::Rgba;

namespace {

const std::vector<std::uint32_t> palette { 0x000000, 0xff0000, 0x00ff00, 0x0000ff };
const std::vector<std::vector<std::uint32_t>> indices { { 1, 2, 3 }, { 3, 2, 1 } };
const std::vector<std::vector<std::uint32_t>> colours { { 0xff0000, 0x00ff00, 0x0000ff },
    { 0x0000ff, 0x00ff00, 0xff0000 } };
const std::vector<std::vector<std::uint32_t>> mask { { 1, 0, 0 }, { 0, 0, 1 } };
const std::vector<std::vector<std::uint32_t>> no_mask { { 0, 0, 0 }, { 0, 0, 0 } };

std::vector<std::uint8_t> alphas(const Image& image)
{
    std::vector<std::uint8_t> out;
    for (std::size_t i = 3; i < image.rgba.size(); i += 4)
        out.push_back(image.rgba[i]);
    return out;
}

} // namespace

TEST(DecodeIco, ProgramIconHasFourImagesOfTheRightSizesAndDepths)
{
    const Bytes file = fixtures::program_picture("siirtolux.ico");
    const std::vector<Image> images = decode_ico(file);
    ASSERT_EQ(images.size(), 4u);
    const struct {
        int size, bits;
    } expected[] = { { 16, 4 }, { 32, 4 }, { 16, 8 }, { 32, 8 } };
    for (std::size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(images[i].width, expected[i].size);
        EXPECT_EQ(images[i].height, expected[i].size);
        const std::size_t entry = 6 + 16 * i;
        EXPECT_EQ(file[entry], expected[i].size);
        EXPECT_EQ(file[entry + 1], expected[i].size);
        EXPECT_EQ(file[entry + 6], expected[i].bits); // the directory's bit count
        const std::size_t offset = file[entry + 12] | file[entry + 13] << 8;
        EXPECT_EQ(file[offset + 14], expected[i].bits); // the image's own header agrees
        // The portrait fills its square: a dark background, no transparent corners.
        EXPECT_EQ(fixtures::pixel(images[i], 0, 0), (Rgba { 0, 0, 0, 255 }));
    }
}

TEST(DecodeIco, MaskBecomesAlpha)
{
    const std::vector<std::uint8_t> masked { 0, 255, 255, 255, 255, 0 };
    struct Case {
        const char* name;
        Bytes image;
        std::vector<std::uint8_t> alpha;
    };
    const Case cases[] = {
        // A set mask bit hides the pixel; the mask is stored bottom-up like the colours.
        { "4 bits", fixtures::icon_image(indices, 4, palette, mask), masked },
        { "8 bits", fixtures::icon_image(indices, 8, palette, mask), masked },
        { "24 bits", fixtures::icon_image(colours, 24, {}, mask), masked },
        // A 32-bit image's own alpha wins over its mask.
        { "32 bits with alpha", fixtures::icon_image(colours, 32, {}, mask, 128),
            std::vector<std::uint8_t>(6, 128) },
        // An all-zero alpha channel means the writer relied on the mask.
        { "32 bits, alpha all zero", fixtures::icon_image(colours, 32, {}, mask, 0), masked },
        { "4 bits, no mask bits", fixtures::icon_image(indices, 4, palette, no_mask),
            std::vector<std::uint8_t>(6, 255) },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<Image> images = decode_ico(fixtures::ico_file({ c.image }));
        ASSERT_EQ(images.size(), 1u);
        ASSERT_EQ(images[0].width, 3);
        ASSERT_EQ(images[0].height, 2);
        EXPECT_EQ(alphas(images[0]), c.alpha);
        EXPECT_EQ(fixtures::pixel(images[0], 0, 0)[0], 255); // red, top left
        EXPECT_EQ(fixtures::pixel(images[0], 0, 1)[2], 255); // blue, bottom left
    }
}

TEST(DecodeIco, MalformedFilesThrow)
{
    const Bytes good = fixtures::ico_file({ fixtures::icon_image(indices, 4, palette, mask),
        fixtures::icon_image(colours, 24, {}, mask) });
    ASSERT_EQ(decode_ico(good).size(), 2u);
    using fixtures::set32;
    constexpr std::size_t second_entry = 6 + 16;
    constexpr std::size_t first_image = 6 + 2 * 16;
    struct Case {
        const char* name;
        void (*damage)(Bytes&);
    };
    // clang-format off
    const Case cases[] = {
        { "cursor, not icon",          [](Bytes& f) { f[2] = 2; } },
        { "reserved field set",        [](Bytes& f) { f[0] = 1; } },
        { "no images",                 [](Bytes& f) { f[4] = 0; } },
        { "more images than entries",  [](Bytes& f) { f[4] = 200; } },
        { "image past the end",        [](Bytes& f) { set32(f, second_entry + 12, 0xfffffff0); } },
        { "image longer than file",    [](Bytes& f) { set32(f, second_entry + 8, 0x7fffffff); } },
        { "image stored as PNG",       [](Bytes& f) { f[first_image] = 0x89; f[first_image + 1] = 'P';
                                                      f[first_image + 2] = 'N'; f[first_image + 3] = 'G'; } },
        { "odd doubled height",        [](Bytes& f) { set32(f, first_image + 8, 5); } },
        { "negative height",           [](Bytes& f) { set32(f, first_image + 8, 0xfffffffc); } },
        { "compressed image",          [](Bytes& f) { set32(f, first_image + 16, 1); } },
        { "too many pixels",           [](Bytes& f) { set32(f, first_image + 4, 1 << 13);
                                                      set32(f, first_image + 8, 1 << 14); } },
        { "mask cut off",              [](Bytes& f) { set32(f, second_entry + 8, 40 + 24 + 4); } },
        { "header only",               [](Bytes& f) { f.resize(6); } },
        { "empty",                     [](Bytes& f) { f.clear(); } },
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes file = good;
        c.damage(file);
        EXPECT_THROW(decode_ico(file), PictureError);
    }
}

TEST(DecodeIco, EveryTruncationOfTheProgramIconThrows)
{
    const Bytes file = fixtures::program_picture("siirtolux.ico");
    for (std::size_t size = 0; size < file.size(); ++size) {
        SCOPED_TRACE(size);
        EXPECT_THROW(decode_ico(std::span(file).first(size)), PictureError);
    }
}
