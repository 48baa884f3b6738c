// Writes the program's pictures from the drawings in this folder:
//
//   cmake --build <build> --target draw_pictures
//   <build>/tools/pictures/draw_pictures tools/pictures ui/pictures [<preview folder>]
//
// run from the repository's root. The files it writes into ui/pictures are checked in; run it
// again after changing a drawing. With a preview folder it also writes every picture enlarged,
// as decoded back from the file just written, for looking at.

#include "platform/toolkit/pictures/pictures.h"
#include "tools/pictures/encoders.h"
#include "tools/pictures/palette.h"
#include "tools/pictures/sketch.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <stdexcept>
#include <string>

namespace pictures {

namespace fs = std::filesystem;
using toolkit::pictures::Image;

namespace {

Image blank(int width, int height)
{
    return { width, height,
        std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height * 4) };
}

std::uint8_t* at(Image& image, int x, int y)
{
    return image.rgba.data() + (static_cast<std::size_t>(y) * image.width + x) * 4;
}

const std::uint8_t* at(const Image& image, int x, int y)
{
    return image.rgba.data() + (static_cast<std::size_t>(y) * image.width + x) * 4;
}

void set(Image& image, int x, int y, Rgb colour)
{
    std::uint8_t* p = at(image, x, y);
    p[0] = colour.red;
    p[1] = colour.green;
    p[2] = colour.blue;
    p[3] = 255;
}

// Box-filtered reduction to an opaque square: each new pixel is the average of the area of the
// old picture it covers, so that the small logo keeps the shading of the large drawing.
// Transparent pixels count as the black background they stand on.
Image reduced(const Image& source, int size)
{
    Image out = blank(size, size);
    const double scale = static_cast<double>(source.width) / size;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            double sum[3] = {};
            for (int sy = static_cast<int>(y * scale); sy < std::ceil((y + 1) * scale); ++sy)
                for (int sx = static_cast<int>(x * scale); sx < std::ceil((x + 1) * scale); ++sx) {
                    const double weight
                        = (std::min(sx + 1.0, (x + 1) * scale) - std::max<double>(sx, x * scale))
                        * (std::min(sy + 1.0, (y + 1) * scale) - std::max<double>(sy, y * scale));
                    const std::uint8_t* p = at(source, sx, sy);
                    for (int c = 0; c < 3; ++c)
                        sum[c] += weight * (p[3] != 0 ? p[c] : 0);
                }
            std::uint8_t* q = at(out, x, y);
            for (int c = 0; c < 3; ++c)
                q[c] = static_cast<std::uint8_t>(std::lround(sum[c] / (scale * scale)));
            q[3] = 255;
        }
    return out;
}

// An enlarged copy for looking at: transparent pixels as a light button face.
Image enlarged(const Image& image, int scale)
{
    Image out = blank(image.width * scale, image.height * scale);
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x) {
            const std::uint8_t* p = at(image, x / scale, y / scale);
            const bool shown = p[3] >= 128;
            set(out, x, y, shown ? Rgb { p[0], p[1], p[2] } : Rgb { 212, 208, 200 });
        }
    return out;
}

Image joined(const std::vector<Image>& images, int gap)
{
    int width = 0, height = 0;
    for (const Image& image : images) {
        width += image.width + gap;
        height = std::max(height, image.height);
    }
    Image out = blank(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            set(out, x, y, { 255, 255, 255 });
    int left = 0;
    for (const Image& image : images) {
        for (int y = 0; y < image.height; ++y)
            std::copy_n(at(image, 0, y), image.width * 4, at(out, left, y));
        left += image.width + gap;
    }
    return out;
}

void write_file(const fs::path& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(
        reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush())
        throw std::runtime_error("cannot write " + path.string());
    std::cout << path.string() << ": " << bytes.size() << " bytes\n";
}

struct Folders {
    fs::path sources, output;
    std::optional<fs::path> preview;
};

void preview(const Folders& folders, const std::string& name, const std::vector<Image>& images)
{
    if (!folders.preview)
        return;
    // Each picture at its own size, at twice its size and large.
    std::vector<Image> big;
    for (const int scale : { 1, 2, 0 })
        for (const Image& image : images)
            big.push_back(enlarged(image, scale != 0 ? scale : std::max(1, 320 / image.height)));
    write_file(*folders.preview / (name + ".png"), encode_png(joined(big, 16)));
}

// A button picture in the sixteen display colours: two cells side by side, the picture for the
// enabled button and its disabled look, each with the transparent olive at its bottom left.
void draw_button(const Folders& folders, const std::string& name, int cell_width, int height)
{
    const Image picture = read_sketch(folders.sources / (name + ".txt"));
    if (picture.width != 2 * cell_width || picture.height != height)
        throw std::runtime_error(name + ".txt must be two cells of " + std::to_string(cell_width)
            + " x " + std::to_string(height));
    constexpr Rgb olive { 128, 128, 0 };
    for (const int left : { 0, cell_width }) {
        const std::uint8_t* corner = at(picture, left, height - 1);
        if (!(Rgb { corner[0], corner[1], corner[2] } == olive))
            throw std::runtime_error(
                name + ".txt: the bottom-left pixel of each cell must be olive");
    }
    const Bytes file = encode_bmp4(with_palette(picture, display_colours()));
    write_file(folders.output / (name + ".bmp"), file);
    const auto [enabled, disabled]
        = toolkit::pictures::split_cells(toolkit::pictures::decode_bmp(file));
    preview(folders, name, { enabled, disabled });
}

// The portrait. The large drawing is the 48-pixel desktop icon and, reduced to 37 pixels, the
// logo. A reduction to 32 or 16 pixels loses the eyes and the mouth, so those sizes are drawn
// pixel by pixel in sixteen colours; the icon's 256-colour images carry the same drawings.
void draw_portrait(const Folders& folders)
{
    const Image large = read_sketch(folders.sources / "portrait-48.txt");
    const Image medium = read_sketch(folders.sources / "portrait-32.txt");
    const Image small = read_sketch(folders.sources / "portrait-16.txt");

    // The highest quality that keeps the logo within about 3 KB.
    const Image logo = reduced(large, 37);
    Bytes jpeg;
    for (int quality = 100; quality >= 70; --quality) {
        jpeg = encode_jpeg(logo, quality);
        if (jpeg.size() <= 3200)
            break;
    }
    write_file(folders.output / "logo.jpg", jpeg);
    preview(folders, "logo", { toolkit::pictures::decode_jpeg(jpeg) });

    const Indexed small_indexed = with_palette(small, own_colours(small, 16));
    const Indexed medium_indexed = with_palette(medium, own_colours(medium, 16));
    const Bytes ico = encode_ico({
        { small_indexed, 4 },
        { medium_indexed, 4 },
        { small_indexed, 8 },
        { medium_indexed, 8 },
    });
    write_file(folders.output / "siirtolux.ico", ico);
    preview(folders, "siirtolux-ico", toolkit::pictures::decode_ico(ico));

    const std::pair<const char*, const Image*> pngs[] = { { "siirtolux-16.png", &small },
        { "siirtolux-32.png", &medium }, { "siirtolux-48.png", &large } };
    for (const auto& [name, image] : pngs)
        write_file(folders.output / name, encode_png(*image));
    preview(folders, "siirtolux-png", { small, medium, large });
}

} // namespace

} // namespace pictures

int main(int argc, char** argv)
{
    if (argc != 3 && argc != 4) {
        std::cerr << "usage: draw_pictures <drawings folder> <output folder> [<preview folder>]\n";
        return 2;
    }
    try {
        using namespace pictures;
        Folders folders { argv[1], argv[2], {} };
        if (argc == 4) {
            folders.preview = argv[3];
            std::filesystem::create_directories(*folders.preview);
        }
        draw_button(folders, "copy", 16, 16);
        draw_button(folders, "settings", 16, 16);
        draw_button(folders, "close", 18, 18);
        draw_portrait(folders);
    } catch (const std::exception& error) {
        std::cerr << "draw_pictures: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
