#include "tools/pictures/sketch.h"

#include <array>
#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>

namespace pictures {

toolkit::pictures::Image read_sketch(const std::filesystem::path& file)
{
    std::ifstream in(file);
    if (!in)
        throw std::runtime_error("cannot open " + file.string());

    int line_number = 0;
    auto fail = [&](const std::string& what) {
        throw std::runtime_error(file.string() + ":" + std::to_string(line_number) + ": " + what);
    };

    toolkit::pictures::Image image;
    std::array<std::optional<std::array<std::uint8_t, 4>>, 256> legend {};
    int rows_read = 0;
    bool in_pixels = false;
    std::string line;
    while (std::getline(in, line)) {
        ++line_number;
        if (!in_pixels) {
            if (line.empty() || line[0] == '#')
                continue;
            std::istringstream words(line);
            std::string word;
            words >> word;
            if (word == "size") {
                if (!(words >> image.width >> image.height) || image.width <= 0
                    || image.height <= 0)
                    fail("expected: size <width> <height>");
            } else if (word == "colour") {
                std::string symbol, red;
                if (!(words >> symbol >> red) || symbol.size() != 1)
                    fail("expected: colour <character> <red> <green> <blue> | none");
                auto& entry = legend[static_cast<unsigned char>(symbol[0])];
                if (entry)
                    fail("the character " + symbol + " is given twice");
                if (red == "none") {
                    entry = std::array<std::uint8_t, 4> { 0, 0, 0, 0 };
                } else {
                    std::istringstream first(red);
                    int r = -1, green = -1, blue = -1;
                    if (!(first >> r) || !(words >> green >> blue) || r < 0 || r > 255 || green < 0
                        || green > 255 || blue < 0 || blue > 255)
                        fail("a colour needs red, green and blue from 0 to 255");
                    entry = std::array<std::uint8_t, 4> { static_cast<std::uint8_t>(r),
                        static_cast<std::uint8_t>(green), static_cast<std::uint8_t>(blue), 255 };
                }
            } else if (word == "pixels") {
                if (image.width == 0)
                    fail("the size must come before the pixels");
                in_pixels = true;
                image.rgba.reserve(static_cast<std::size_t>(image.width) * image.height * 4);
            } else {
                fail("unknown word " + word);
            }
            continue;
        }
        if (rows_read == image.height) {
            if (!line.empty())
                fail("more rows than the size says");
            continue;
        }
        if (static_cast<int>(line.size()) != image.width)
            fail("a row must be " + std::to_string(image.width) + " characters wide");
        for (const char c : line) {
            const auto& entry = legend[static_cast<unsigned char>(c)];
            if (!entry)
                fail(std::string("the character ") + c + " is not in the legend");
            image.rgba.insert(image.rgba.end(), entry->begin(), entry->end());
        }
        ++rows_read;
    }
    if (rows_read != image.height)
        fail("fewer rows than the size says");
    return image;
}

} // namespace pictures
