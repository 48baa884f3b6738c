#include "platform/toolkit/pictures/pictures.h"
#include "tests/pictures/fixtures.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <optional>

#include <jpeglib.h>

using namespace toolkit::pictures;
using fixtures::Bytes;

namespace {

struct FrameHeader {
    std::uint8_t marker = 0;
    int precision = 0, height = 0, width = 0;
    std::vector<std::uint8_t> sampling; // one byte a component: horizontal << 4 | vertical
};

// Walks the marker segments up to the first frame header. Returns nothing when the file
// ends first.
std::optional<FrameHeader> frame_header(const Bytes& file)
{
    std::size_t at = 2;
    while (at + 4 <= file.size() && file[at] == 0xff) {
        const std::uint8_t marker = file[at + 1];
        const std::size_t length = file[at + 2] << 8 | file[at + 3];
        const bool is_frame = marker >= 0xc0 && marker <= 0xcf && marker != 0xc4 && marker != 0xc8
            && marker != 0xcc;
        if (is_frame && at + 4 + length <= file.size()) {
            FrameHeader header;
            header.marker = marker;
            header.precision = file[at + 4];
            header.height = file[at + 5] << 8 | file[at + 6];
            header.width = file[at + 7] << 8 | file[at + 8];
            for (int c = 0; c < file[at + 9]; ++c)
                header.sampling.push_back(file[at + 10 + 3 * c + 1]);
            return header;
        }
        at += 2 + length;
    }
    return std::nullopt;
}

std::size_t frame_header_offset(const Bytes& file)
{
    for (std::size_t at = 0; at + 1 < file.size(); ++at)
        if (file[at] == 0xff && file[at + 1] == 0xc0)
            return at;
    return 0;
}

// A small grey JPEG made with libjpeg itself.
Bytes grey_jpeg()
{
    jpeg_compress_struct info {};
    jpeg_error_mgr errors {};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = 8;
    info.image_height = 2;
    info.input_components = 1;
    info.in_color_space = JCS_GRAYSCALE;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 100, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::uint8_t row[8];
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 8; ++x)
            row[x] = static_cast<std::uint8_t>(y == 0 ? 40 : 200);
        JSAMPROW rows[] = { row };
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    Bytes out(buffer, buffer + size);
    std::free(buffer);
    jpeg_destroy_compress(&info);
    return out;
}

} // namespace

TEST(Logo, IsABaselineJpegOfThreeComponentsWithLumaSampledTwoByTwo)
{
    const Bytes file = fixtures::program_picture("logo.jpg");
    ASSERT_GE(file.size(), 4u);
    EXPECT_EQ(file[0], 0xff);
    EXPECT_EQ(file[1], 0xd8);
    const std::optional<FrameHeader> header = frame_header(file);
    ASSERT_TRUE(header);
    EXPECT_EQ(header->marker, 0xc0); // baseline
    EXPECT_EQ(header->precision, 8);
    EXPECT_EQ(header->width, 37);
    EXPECT_EQ(header->height, 37);
    EXPECT_EQ(header->sampling, (std::vector<std::uint8_t> { 0x22, 0x11, 0x11 }));
    // Small enough for a window description's inline block, as the other pictures are.
    EXPECT_LT(file.size(), 4096u);
}

TEST(Logo, DecodesToAnOpaquePortraitOnBlack)
{
    const Image logo = decode_jpeg(fixtures::program_picture("logo.jpg"));
    ASSERT_EQ(logo.width, 37);
    ASSERT_EQ(logo.height, 37);
    ASSERT_EQ(logo.rgba.size(), 37u * 37 * 4);
    for (std::size_t i = 3; i < logo.rgba.size(); i += 4)
        ASSERT_EQ(logo.rgba[i], 255);
    for (const auto& [x, y] : { std::pair { 0, 0 }, { 36, 0 }, { 0, 18 } }) {
        const auto p = fixtures::pixel(logo, x, y);
        EXPECT_LT(p[0] + p[1] + p[2], 40) << x << "," << y;
    }
    // The middle of the face is skin: more red than green, more green than blue.
    const auto face = fixtures::pixel(logo, 17, 15);
    EXPECT_GT(face[0], face[1]);
    EXPECT_GT(face[1], face[2]);
}

TEST(DecodeJpeg, GreyPictureComesOutAsRgb)
{
    const Image image = decode_jpeg(grey_jpeg());
    ASSERT_EQ(image.width, 8);
    ASSERT_EQ(image.height, 2);
    for (const auto& [y, level] : { std::pair { 0, 40 }, { 1, 200 } }) {
        const auto p = fixtures::pixel(image, 3, y);
        EXPECT_NEAR(p[0], level, 2);
        EXPECT_EQ(p[0], p[1]);
        EXPECT_EQ(p[1], p[2]);
        EXPECT_EQ(p[3], 255);
    }
}

TEST(DecodeJpeg, MalformedFilesThrow)
{
    const Bytes logo = fixtures::program_picture("logo.jpg");
    const std::size_t frame = frame_header_offset(logo);
    ASSERT_NE(frame, 0u);
    struct Case {
        const char* name;
        Bytes file;
    };
    auto with = [&](std::size_t at, std::initializer_list<std::uint8_t> bytes) {
        Bytes f = logo;
        std::copy(bytes.begin(), bytes.end(), f.begin() + static_cast<std::ptrdiff_t>(at));
        return f;
    };
    const Case cases[] = {
        { "empty", {} },
        { "a bitmap", fixtures::program_picture("copy.bmp") },
        { "start marker only", { 0xff, 0xd8 } },
        // A damaged size must be refused before anything of that size is allocated.
        { "65535 x 65535", with(frame + 5, { 0xff, 0xff, 0xff, 0xff }) },
        { "zero width", with(frame + 7, { 0, 0 }) },
        { "no components", with(frame + 9, { 0 }) },
        { "12-bit samples", with(frame + 4, { 12 }) },
        // libjpeg only warns about these and pads the picture with grey.
        { "end marker missing", Bytes(logo.begin(), logo.end() - 2) },
        { "cut in the middle",
            Bytes(logo.begin(), logo.begin() + static_cast<std::ptrdiff_t>(logo.size() / 2)) },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_THROW(decode_jpeg(c.file), PictureError);
    }
}

TEST(DecodeJpeg, EveryTruncationOfTheLogoThrows)
{
    const Bytes logo = fixtures::program_picture("logo.jpg");
    for (std::size_t size = 0; size < logo.size(); ++size) {
        SCOPED_TRACE(size);
        EXPECT_THROW(decode_jpeg(std::span(logo).first(size)), PictureError);
    }
}

// Damage anywhere in the file gives a picture or a PictureError, never anything worse; run
// under the sanitizers this also checks that no byte is read or written out of bounds.
TEST(DecodeJpeg, DamagedBytesGiveAPictureOrAnError)
{
    const Bytes logo = fixtures::program_picture("logo.jpg");
    for (std::size_t at = 0; at < logo.size(); ++at) {
        Bytes file = logo;
        file[at] ^= 0xa5;
        try {
            const Image image = decode_jpeg(file);
            ASSERT_EQ(image.rgba.size(), static_cast<std::size_t>(image.width) * image.height * 4)
                << at;
        } catch (const PictureError&) {
        }
    }
}
