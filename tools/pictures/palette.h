#pragma once

#include "platform/toolkit/pictures/pictures.h"

#include <cstdint>
#include <vector>

namespace pictures {

struct Rgb {
    std::uint8_t red = 0, green = 0, blue = 0;
    bool operator==(const Rgb&) const = default;
};

// A picture of palette indices, top row first, with the pixels an icon's mask hides.
struct Indexed {
    int width = 0, height = 0;
    std::vector<Rgb> palette;
    std::vector<std::uint8_t> index;
    std::vector<bool> transparent;
};

// The sixteen colours of the classic 4-bit display, in their usual order; the button pictures
// are drawn in these alone.
const std::vector<Rgb>& display_colours();

// Maps each opaque pixel to the palette entry of exactly its colour; transparent pixels get
// entry 0, which an icon's mask hides. Throws std::runtime_error for a colour the palette lacks.
Indexed with_palette(const toolkit::pictures::Image& image, const std::vector<Rgb>& palette);

// The colours of the picture's opaque pixels, black first, each once. Throws std::runtime_error
// when there are more than the limit.
std::vector<Rgb> own_colours(const toolkit::pictures::Image& image, std::size_t limit);

} // namespace pictures
