#include "tools/pictures/encoders.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include <jpeglib.h>
#include <zlib.h>

namespace pictures {

namespace {

void put_u16(Bytes& out, unsigned value)
{
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void put_u32(Bytes& out, std::uint32_t value)
{
    put_u16(out, value & 0xffff);
    put_u16(out, value >> 16);
}

void put_u32_big(Bytes& out, std::uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(value >> shift));
}

std::uint32_t stride(int width, int bits)
{
    return static_cast<std::uint32_t>((width * bits + 31) / 32 * 4);
}

// The BITMAPINFOHEADER, palette and colour bits, bottom-up; an icon image also counts and
// carries its mask.
void put_dib(Bytes& out, const Indexed& picture, int bits, bool with_mask)
{
    const std::uint32_t entries = 1u << bits;
    if (picture.palette.size() > entries)
        throw std::runtime_error("too many colours for the depth");
    const std::uint32_t colour_size = stride(picture.width, bits) * picture.height;
    const std::uint32_t mask_size = with_mask ? stride(picture.width, 1) * picture.height : 0;

    put_u32(out, 40);
    put_u32(out, static_cast<std::uint32_t>(picture.width));
    put_u32(out, static_cast<std::uint32_t>(picture.height * (with_mask ? 2 : 1)));
    put_u16(out, 1);
    put_u16(out, static_cast<unsigned>(bits));
    put_u32(out, 0); // BI_RGB
    put_u32(out, colour_size + mask_size);
    put_u32(out, 0);
    put_u32(out, 0);
    put_u32(out, 0);
    put_u32(out, 0);
    for (std::uint32_t i = 0; i < entries; ++i) {
        const Rgb colour = i < picture.palette.size() ? picture.palette[i] : Rgb {};
        out.insert(out.end(), { colour.blue, colour.green, colour.red, 0 });
    }

    for (int y = picture.height - 1; y >= 0; --y) {
        Bytes row(stride(picture.width, bits));
        for (int x = 0; x < picture.width; ++x) {
            const std::uint8_t index
                = picture.index[static_cast<std::size_t>(y) * picture.width + x];
            if (bits == 4)
                row[x / 2] |= static_cast<std::uint8_t>(x % 2 == 0 ? index << 4 : index);
            else
                row[x] = index;
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    if (!with_mask)
        return;
    for (int y = picture.height - 1; y >= 0; --y) {
        Bytes row(stride(picture.width, 1));
        for (int x = 0; x < picture.width; ++x)
            if (picture.transparent[static_cast<std::size_t>(y) * picture.width + x])
                row[x / 8] |= static_cast<std::uint8_t>(0x80 >> x % 8);
        out.insert(out.end(), row.begin(), row.end());
    }
}

void put_png_chunk(Bytes& out, const char* type, const Bytes& data)
{
    put_u32_big(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    put_u32_big(out,
        static_cast<std::uint32_t>(
            crc32(0, out.data() + start, static_cast<uInt>(out.size() - start))));
}

} // namespace

Bytes encode_bmp4(const Indexed& picture)
{
    Bytes dib;
    put_dib(dib, picture, 4, false);
    Bytes out { 'B', 'M' };
    put_u32(out, static_cast<std::uint32_t>(14 + dib.size()));
    put_u32(out, 0);
    put_u32(out, 14 + 40 + 16 * 4);
    out.insert(out.end(), dib.begin(), dib.end());
    return out;
}

Bytes encode_ico(const std::vector<IconImage>& images)
{
    std::vector<Bytes> data;
    for (const IconImage& image : images) {
        data.emplace_back();
        put_dib(data.back(), image.picture, image.bits, true);
    }
    Bytes out;
    put_u16(out, 0);
    put_u16(out, 1);
    put_u16(out, static_cast<unsigned>(images.size()));
    std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        const Indexed& picture = images[i].picture;
        out.push_back(static_cast<std::uint8_t>(picture.width));
        out.push_back(static_cast<std::uint8_t>(picture.height));
        out.push_back(images[i].bits == 4 ? 16 : 0);
        out.push_back(0);
        put_u16(out, 1);
        put_u16(out, static_cast<unsigned>(images[i].bits));
        put_u32(out, static_cast<std::uint32_t>(data[i].size()));
        put_u32(out, offset);
        offset += static_cast<std::uint32_t>(data[i].size());
    }
    for (const Bytes& image : data)
        out.insert(out.end(), image.begin(), image.end());
    return out;
}

Bytes encode_png(const toolkit::pictures::Image& image)
{
    Bytes header;
    put_u32_big(header, static_cast<std::uint32_t>(image.width));
    put_u32_big(header, static_cast<std::uint32_t>(image.height));
    // 8 bits a sample, RGBA, deflate, no filter method, not interlaced.
    header.insert(header.end(), { 8, 6, 0, 0, 0 });

    // Each row starts with its filter type; 0 leaves the row as it is.
    const std::size_t row_bytes = static_cast<std::size_t>(image.width) * 4;
    Bytes raw;
    for (int y = 0; y < image.height; ++y) {
        raw.push_back(0);
        const auto row = image.rgba.begin() + static_cast<std::ptrdiff_t>(y * row_bytes);
        raw.insert(raw.end(), row, row + static_cast<std::ptrdiff_t>(row_bytes));
    }
    uLongf packed_size = compressBound(static_cast<uLong>(raw.size()));
    Bytes packed(packed_size);
    if (compress2(packed.data(), &packed_size, raw.data(), static_cast<uLong>(raw.size()), 9)
        != Z_OK)
        throw std::runtime_error("zlib could not compress the picture");
    packed.resize(packed_size);

    Bytes out { 0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n' };
    put_png_chunk(out, "IHDR", header);
    put_png_chunk(out, "IDAT", packed);
    put_png_chunk(out, "IEND", {});
    return out;
}

Bytes encode_jpeg(const toolkit::pictures::Image& image, int quality)
{
    // The generator's input is our own drawing, so libjpeg's default handling (print the error
    // and exit) is all that is needed here.
    jpeg_compress_struct info {};
    jpeg_error_mgr errors {};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(image.width);
    info.image_height = static_cast<JDIMENSION>(image.height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    info.comp_info[0].h_samp_factor = 2;
    info.comp_info[0].v_samp_factor = 2;
    for (int c = 1; c < 3; ++c) {
        info.comp_info[c].h_samp_factor = 1;
        info.comp_info[c].v_samp_factor = 1;
    }
    jpeg_start_compress(&info, TRUE);
    Bytes row(static_cast<std::size_t>(image.width) * 3);
    while (info.next_scanline < info.image_height) {
        const std::size_t y = info.next_scanline;
        for (int x = 0; x < image.width; ++x)
            for (int c = 0; c < 3; ++c)
                row[static_cast<std::size_t>(x) * 3 + c]
                    = image.rgba[(y * image.width + x) * 4 + c];
        JSAMPROW rows[] = { row.data() };
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    Bytes out(buffer, buffer + size);
    std::free(buffer);
    jpeg_destroy_compress(&info);
    return out;
}

} // namespace pictures
