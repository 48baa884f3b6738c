#include "platform/regional/utf8.h"

namespace regional {

namespace {

bool is_continuation(unsigned char c) { return (c & 0xC0) == 0x80; }

} // namespace

std::size_t utf8_character_length(std::string_view text, std::size_t pos)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[pos + i]); };
    const std::size_t left = text.size() - pos;
    const unsigned char lead = byte(0);
    if (lead < 0x80)
        return 1;
    // The second byte's range excludes overlong forms, surrogates and code points past U+10FFFF.
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0;
        if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        if (lead == 0xF4)
            high = 0x8F;
    } else {
        return 1;
    }
    if (left < length || byte(1) < low || byte(1) > high)
        return 1;
    for (std::size_t i = 2; i < length; ++i) {
        if (!is_continuation(byte(i)))
            return 1;
    }
    return length;
}

bool is_valid_utf8(std::string_view text)
{
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t length = utf8_character_length(text, pos);
        if (length == 1 && static_cast<unsigned char>(text[pos]) >= 0x80)
            return false;
        pos += length;
    }
    return true;
}

std::size_t utf8_character_count(std::string_view text)
{
    std::size_t count = 0;
    for (std::size_t pos = 0; pos < text.size(); pos += utf8_character_length(text, pos))
        ++count;
    return count;
}

} // namespace regional
