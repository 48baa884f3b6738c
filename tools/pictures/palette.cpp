#include "tools/pictures/palette.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace pictures {

namespace {

Rgb colour_at(const toolkit::pictures::Image& image, std::size_t pixel)
{
    return { image.rgba[pixel * 4], image.rgba[pixel * 4 + 1], image.rgba[pixel * 4 + 2] };
}

bool is_opaque(const toolkit::pictures::Image& image, std::size_t pixel)
{
    return image.rgba[pixel * 4 + 3] >= 128;
}

std::size_t pixel_count(const toolkit::pictures::Image& image)
{
    return static_cast<std::size_t>(image.width) * image.height;
}

} // namespace

const std::vector<Rgb>& display_colours()
{
    // clang-format off
    static const std::vector<Rgb> colours {
        {   0,   0,   0 }, { 128,   0,   0 }, {   0, 128,   0 }, { 128, 128,   0 },
        {   0,   0, 128 }, { 128,   0, 128 }, {   0, 128, 128 }, { 192, 192, 192 },
        { 128, 128, 128 }, { 255,   0,   0 }, {   0, 255,   0 }, { 255, 255,   0 },
        {   0,   0, 255 }, { 255,   0, 255 }, {   0, 255, 255 }, { 255, 255, 255 },
    };
    // clang-format on
    return colours;
}

Indexed with_palette(const toolkit::pictures::Image& image, const std::vector<Rgb>& palette)
{
    Indexed out { image.width, image.height, palette, {}, {} };
    for (std::size_t i = 0; i < pixel_count(image); ++i) {
        if (!is_opaque(image, i)) {
            out.index.push_back(0);
            out.transparent.push_back(true);
            continue;
        }
        const Rgb colour = colour_at(image, i);
        const auto found = std::find(palette.begin(), palette.end(), colour);
        if (found == palette.end())
            throw std::runtime_error("colour " + std::to_string(colour.red) + " "
                + std::to_string(colour.green) + " " + std::to_string(colour.blue)
                + " is not in the palette");
        out.index.push_back(static_cast<std::uint8_t>(found - palette.begin()));
        out.transparent.push_back(false);
    }
    return out;
}

std::vector<Rgb> own_colours(const toolkit::pictures::Image& image, std::size_t limit)
{
    std::vector<Rgb> colours { Rgb {} };
    for (std::size_t i = 0; i < pixel_count(image); ++i)
        if (is_opaque(image, i)
            && std::find(colours.begin(), colours.end(), colour_at(image, i)) == colours.end())
            colours.push_back(colour_at(image, i));
    if (colours.size() > limit)
        throw std::runtime_error("the picture has " + std::to_string(colours.size())
            + " colours, more than " + std::to_string(limit));
    return colours;
}

} // namespace pictures
