// Feeds arbitrary bytes to every picture decoder. Each must give a picture whose pixel count
// matches its size, or throw PictureError; anything else (a crash, another exception, a read out
// of bounds caught by the sanitizers) is a fault.

#include "platform/toolkit/pictures/pictures.h"

#include <cstdint>
#include <cstdlib>

namespace {

using namespace toolkit::pictures;

void check(const Image& image)
{
    if (image.rgba.size() != static_cast<std::size_t>(image.width) * image.height * 4)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> bytes(data, size);
    try {
        const Image image = decode_bmp(bytes);
        check(image);
        if (image.width % 2 == 0) {
            const auto [left, right] = split_cells(image);
            check(left);
            check(right);
        }
    } catch (const PictureError&) {
    }
    try {
        for (const Image& image : decode_ico(bytes))
            check(image);
    } catch (const PictureError&) {
    }
    try {
        check(decode_jpeg(bytes));
    } catch (const PictureError&) {
    }
    return 0;
}
