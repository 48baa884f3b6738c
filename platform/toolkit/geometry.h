#pragma once

namespace toolkit {

// Layouts are given for a text height of 13 pixels; `scale` turns a layout value into pixels
// for the actual text height, rounding half away from zero.
constexpr int design_text_height = 13;

constexpr int mul_div(int value, int numerator, int denominator)
{
    const long long product = static_cast<long long>(value) * numerator;
    const long long half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator : (product - half) / denominator);
}

constexpr int scale(int value, int text_height) { return mul_div(value, text_height, design_text_height); }

struct Rect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const Rect&) const = default;
};

} // namespace toolkit
