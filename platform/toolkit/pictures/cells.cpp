#include "platform/toolkit/pictures/pictures.h"

#include <algorithm>
#include <cstddef>

namespace toolkit::pictures {

std::pair<Image, Image> split_cells(const Image& picture)
{
    if (picture.width <= 0 || picture.height <= 0
        || picture.rgba.size() != static_cast<std::size_t>(picture.width) * picture.height * 4)
        throw PictureError("The picture has no pixels");
    if (picture.width % 2 != 0)
        throw PictureError("A picture of two cells must have an even width");

    const int cell_width = picture.width / 2;
    auto cell = [&](int first_column) {
        Image image;
        image.width = cell_width;
        image.height = picture.height;
        image.rgba.resize(static_cast<std::size_t>(cell_width) * picture.height * 4);
        const std::size_t row_bytes = static_cast<std::size_t>(cell_width) * 4;
        for (int y = 0; y < picture.height; ++y) {
            const auto source = picture.rgba.begin()
                + (static_cast<std::ptrdiff_t>(y) * picture.width + first_column) * 4;
            std::copy(source, source + static_cast<std::ptrdiff_t>(row_bytes),
                image.rgba.begin() + static_cast<std::ptrdiff_t>(y * row_bytes));
        }
        // The colour is compared without its alpha: the bottom-left pixel names a colour.
        const std::size_t corner = (static_cast<std::size_t>(picture.height) - 1) * row_bytes;
        const std::uint8_t red = image.rgba[corner], green = image.rgba[corner + 1],
                           blue = image.rgba[corner + 2];
        for (std::size_t i = 0; i < image.rgba.size(); i += 4)
            if (image.rgba[i] == red && image.rgba[i + 1] == green && image.rgba[i + 2] == blue)
                image.rgba[i + 3] = 0;
        return image;
    };
    return { cell(0), cell(cell_width) };
}

} // namespace toolkit::pictures
