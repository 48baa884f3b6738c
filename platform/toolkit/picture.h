#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace toolkit {

// A decoded picture: row-major, top row first, four bytes (R, G, B, A) a pixel.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;
    bool empty() const { return width == 0 || height == 0; }
};

using PictureDecoder = std::function<Picture(std::span<const std::uint8_t>)>;

// Picture kinds by name ("TJPEGImage", "TBitmap"). A window description's inline picture names
// its kind; a kind that is not registered makes the description fail to load.
class PictureKinds {
public:
    struct Kind {
        std::string name;
        std::vector<std::string> extensions;
        std::string description;
        PictureDecoder decode;
    };

    static void register_kind(Kind kind);
    static const Kind* find(const std::string& name);
    static void clear();
};

} // namespace toolkit
