#include "platform/toolkit/pictures/pictures.h"
#include "tests/pictures/fixtures.h"

#include <gtest/gtest.h>

using namespace toolkit::pictures;
using fixtures::Rgba;

namespace {

Image picture(int width, int height, const std::vector<Rgba>& pixels)
{
    Image image { width, height, {} };
    for (const Rgba& p : pixels)
        image.rgba.insert(image.rgba.end(), p.begin(), p.end());
    return image;
}

constexpr Rgba red { 255, 0, 0, 255 }, green { 0, 255, 0, 255 }, blue { 0, 0, 255, 255 };

Rgba hidden(Rgba p)
{
    p[3] = 0;
    return p;
}

} // namespace

TEST(SplitCells, EachCellTakesItsOwnBottomLeftColourAsTransparent)
{
    // The left cell's corner is red and it also holds green; the right cell's is green and it
    // holds red. Using one corner for both cells would hide the wrong pixels.
    // clang-format off
    const Image both = picture(4, 2, {
        green, red,   red,   blue,
        red,   blue,  green, red,
    });
    // clang-format on
    const auto [left, right] = split_cells(both);
    ASSERT_EQ(left.width, 2);
    ASSERT_EQ(left.height, 2);
    ASSERT_EQ(right.width, 2);
    ASSERT_EQ(right.height, 2);
    EXPECT_EQ(left.rgba, picture(2, 2, { green, hidden(red), hidden(red), blue }).rgba);
    EXPECT_EQ(right.rgba, picture(2, 2, { red, blue, hidden(green), red }).rgba);
}

TEST(SplitCells, ColourIsComparedWithoutAlpha)
{
    // A corner that is already transparent still names its colour.
    const auto [left, right] = split_cells(picture(2, 1, { hidden(red), red }));
    EXPECT_EQ(fixtures::pixel(left, 0, 0), hidden(red));
    EXPECT_EQ(fixtures::pixel(right, 0, 0), hidden(red));
}

TEST(SplitCells, RejectsPicturesThatCannotHoldTwoCells)
{
    const struct {
        const char* name;
        Image image;
    } cases[] = {
        { "odd width", picture(3, 1, { red, red, red }) },
        { "empty", Image {} },
        { "pixels missing", Image { 2, 2, std::vector<std::uint8_t>(8) } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_THROW(split_cells(c.image), PictureError);
    }
}
