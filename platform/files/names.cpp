#include "platform/files/names.h"

#include <algorithm>
#include <iterator>

namespace files {

namespace {

// Pairs in which the upper-case letter has the even code point: A -> A + 1 for even A.
constexpr bool even_upper(char32_t c, char32_t first, char32_t last)
{
    return c >= first && c <= last && c % 2 == 0;
}
// ... and the odd code point.
constexpr bool odd_upper(char32_t c, char32_t first, char32_t last)
{
    return c >= first && c <= last && c % 2 == 1;
}

struct Folding {
    char32_t from;
    char32_t to;
};

// Latin Extended-B follows no pattern worth spelling out in code.
// clang-format off
constexpr Folding latin_extended_b[] = {
    { 0x181, 0x0253 }, { 0x182, 0x0183 }, { 0x184, 0x0185 }, { 0x186, 0x0254 }, { 0x187, 0x0188 },
    { 0x189, 0x0256 }, { 0x18A, 0x0257 }, { 0x18B, 0x018C }, { 0x18E, 0x01DD }, { 0x18F, 0x0259 },
    { 0x190, 0x025B }, { 0x191, 0x0192 }, { 0x193, 0x0260 }, { 0x194, 0x0263 }, { 0x196, 0x0269 },
    { 0x197, 0x0268 }, { 0x198, 0x0199 }, { 0x19C, 0x026F }, { 0x19D, 0x0272 }, { 0x19F, 0x0275 },
    { 0x1A0, 0x01A1 }, { 0x1A2, 0x01A3 }, { 0x1A4, 0x01A5 }, { 0x1A6, 0x0280 }, { 0x1A7, 0x01A8 },
    { 0x1A9, 0x0283 }, { 0x1AC, 0x01AD }, { 0x1AE, 0x0288 }, { 0x1AF, 0x01B0 }, { 0x1B1, 0x028A },
    { 0x1B2, 0x028B }, { 0x1B3, 0x01B4 }, { 0x1B5, 0x01B6 }, { 0x1B7, 0x0292 }, { 0x1B8, 0x01B9 },
    { 0x1BC, 0x01BD }, { 0x1C4, 0x01C6 }, { 0x1C5, 0x01C6 }, { 0x1C7, 0x01C9 }, { 0x1C8, 0x01C9 },
    { 0x1CA, 0x01CC }, { 0x1CB, 0x01CC }, { 0x1CD, 0x01CE }, { 0x1CF, 0x01D0 }, { 0x1D1, 0x01D2 },
    { 0x1D3, 0x01D4 }, { 0x1D5, 0x01D6 }, { 0x1D7, 0x01D8 }, { 0x1D9, 0x01DA }, { 0x1DB, 0x01DC },
    { 0x1DE, 0x01DF }, { 0x1E0, 0x01E1 }, { 0x1E2, 0x01E3 }, { 0x1E4, 0x01E5 }, { 0x1E6, 0x01E7 },
    { 0x1E8, 0x01E9 }, { 0x1EA, 0x01EB }, { 0x1EC, 0x01ED }, { 0x1EE, 0x01EF }, { 0x1F1, 0x01F3 },
    { 0x1F2, 0x01F3 }, { 0x1F4, 0x01F5 }, { 0x1F6, 0x0195 }, { 0x1F7, 0x01BF }, { 0x1F8, 0x01F9 },
    { 0x1FA, 0x01FB }, { 0x1FC, 0x01FD }, { 0x1FE, 0x01FF }, { 0x200, 0x0201 }, { 0x202, 0x0203 },
    { 0x204, 0x0205 }, { 0x206, 0x0207 }, { 0x208, 0x0209 }, { 0x20A, 0x020B }, { 0x20C, 0x020D },
    { 0x20E, 0x020F }, { 0x210, 0x0211 }, { 0x212, 0x0213 }, { 0x214, 0x0215 }, { 0x216, 0x0217 },
    { 0x218, 0x0219 }, { 0x21A, 0x021B }, { 0x21C, 0x021D }, { 0x21E, 0x021F }, { 0x220, 0x019E },
    { 0x222, 0x0223 }, { 0x224, 0x0225 }, { 0x226, 0x0227 }, { 0x228, 0x0229 }, { 0x22A, 0x022B },
    { 0x22C, 0x022D }, { 0x22E, 0x022F }, { 0x230, 0x0231 }, { 0x232, 0x0233 }, { 0x23A, 0x2C65 },
    { 0x23B, 0x023C }, { 0x23D, 0x019A }, { 0x23E, 0x2C66 }, { 0x241, 0x0242 }, { 0x243, 0x0180 },
    { 0x244, 0x0289 }, { 0x245, 0x028C }, { 0x246, 0x0247 }, { 0x248, 0x0249 }, { 0x24A, 0x024B },
    { 0x24C, 0x024D }, { 0x24E, 0x024F },
};
// clang-format on

char32_t fold_latin_extended_b(char32_t c)
{
    const auto* end = std::end(latin_extended_b);
    const auto* found = std::lower_bound(std::begin(latin_extended_b), end, c,
        [](const Folding& entry, char32_t value) { return entry.from < value; });
    return found != end && found->from == c ? found->to : c;
}

char32_t fold_latin(char32_t c)
{
    if (c < 0x80)
        return c >= 'A' && c <= 'Z' ? c + 32 : c;
    if (c < 0x100) {
        if (c == 0xB5) // micro sign
            return 0x3BC;
        return c >= 0xC0 && c <= 0xDE && c != 0xD7 ? c + 32 : c;
    }
    if (c >= 0x180)
        return fold_latin_extended_b(c);
    // Latin Extended-A. U+0130, U+0131, U+0138 and U+0149 have no simple folding.
    if (c == 0x178)
        return 0xFF;
    if (c == 0x17F) // long s
        return 's';
    if (even_upper(c, 0x100, 0x12F) || even_upper(c, 0x132, 0x137) || odd_upper(c, 0x139, 0x148)
        || even_upper(c, 0x14A, 0x177) || odd_upper(c, 0x179, 0x17E))
        return c + 1;
    return c;
}

char32_t fold_greek(char32_t c)
{
    // clang-format off
        switch (c) {
        case 0x345: return 0x3B9; // combining ypogegrammeni
        case 0x37F: return 0x3F3;
        case 0x386: return 0x3AC;
        case 0x38C: return 0x3CC;
        case 0x38E: return 0x3CD;
        case 0x38F: return 0x3CE;
        case 0x3C2: return 0x3C3; // final sigma
        case 0x3CF: return 0x3D7;
        case 0x3D0: return 0x3B2;
        case 0x3D1: return 0x3B8;
        case 0x3D5: return 0x3C6;
        case 0x3D6: return 0x3C0;
        case 0x3F0: return 0x3BA;
        case 0x3F1: return 0x3C1;
        case 0x3F4: return 0x3B8;
        case 0x3F5: return 0x3B5;
        case 0x3F7: return 0x3F8;
        case 0x3F9: return 0x3F2;
        case 0x3FA: return 0x3FB;
        case 0x3FD: return 0x37B;
        case 0x3FE: return 0x37C;
        case 0x3FF: return 0x37D;
        default: break;
        }
    // clang-format on
    if (c >= 0x388 && c <= 0x38A)
        return c + 37;
    if ((c >= 0x391 && c <= 0x3A1) || (c >= 0x3A3 && c <= 0x3AB))
        return c + 32;
    if (even_upper(c, 0x370, 0x373) || even_upper(c, 0x376, 0x377) || even_upper(c, 0x3D8, 0x3EF))
        return c + 1;
    return c;
}

char32_t fold_cyrillic_armenian(char32_t c)
{
    if (c >= 0x400 && c <= 0x40F)
        return c + 80;
    if (c >= 0x410 && c <= 0x42F)
        return c + 32;
    if (c == 0x4C0)
        return 0x4CF;
    if (even_upper(c, 0x460, 0x481) || even_upper(c, 0x48A, 0x4BF) || odd_upper(c, 0x4C1, 0x4CE)
        || even_upper(c, 0x4D0, 0x52F))
        return c + 1;
    if (c >= 0x531 && c <= 0x556)
        return c + 48;
    return c;
}

char32_t fold_other(char32_t c)
{
    // clang-format off
        switch (c) {
        case 0x1E9B: return 0x1E61; // long s with dot above
        case 0x1E9E: return 0xDF;   // capital sharp s
        case 0x2126: return 0x3C9;  // ohm sign
        case 0x212A: return 'k';    // Kelvin sign
        case 0x212B: return 0xE5;   // Angstrom sign
        default: break;
        }
    // clang-format on
    // Latin Extended Additional; U+1E96 to U+1E9F have no simple pairs of this kind.
    if (even_upper(c, 0x1E00, 0x1E95) || even_upper(c, 0x1EA0, 0x1EFF))
        return c + 1;
    return c;
}

std::u32string as_bytes(std::string_view text)
{
    std::u32string bytes;
    for (const char b : text)
        bytes += static_cast<char32_t>(static_cast<unsigned char>(b));
    return bytes;
}

// A text as the units the comparisons work on: folded code points for valid UTF-8, the raw
// bytes otherwise.
struct Units {
    std::u32string units;
    bool is_text;
};

Units units_of(std::string_view text)
{
    if (auto decoded = decode_utf8(text)) {
        for (auto& c : *decoded)
            c = fold_case(c);
        return { std::move(*decoded), true };
    }
    return { as_bytes(text), false };
}

// The classic two-cursor match with one backtracking point: on a mismatch the last '*'
// takes one more unit. Time is bounded by the product of the two lengths.
bool match_units(std::u32string_view pattern, std::u32string_view name)
{
    std::size_t p = 0;
    std::size_t n = 0;
    std::size_t star = std::u32string_view::npos;
    std::size_t star_name = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == U'*') {
            star = p++;
            star_name = n;
        } else if (p < pattern.size() && (pattern[p] == U'?' || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (star != std::u32string_view::npos) {
            p = star + 1;
            n = ++star_name;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == U'*')
        ++p;
    return p == pattern.size();
}

} // namespace

char32_t fold_case(char32_t c)
{
    if (c < 0x250)
        return fold_latin(c);
    if (c >= 0x345 && c < 0x400)
        return fold_greek(c);
    if (c >= 0x400 && c < 0x560)
        return fold_cyrillic_armenian(c);
    if (c >= 0x1E00)
        return fold_other(c);
    return c;
}

std::optional<std::u32string> decode_utf8(std::string_view text)
{
    std::u32string result;
    result.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length;
        char32_t c;
        char32_t smallest;
        if (lead < 0x80) {
            result += lead;
            ++i;
            continue;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            c = lead & 0x1F;
            smallest = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            c = lead & 0x0F;
            smallest = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            c = lead & 0x07;
            smallest = 0x10000;
        } else {
            return std::nullopt;
        }
        if (text.size() - i < length)
            return std::nullopt;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80)
                return std::nullopt;
            c = (c << 6) | (next & 0x3F);
        }
        if (c < smallest || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
            return std::nullopt;
        result += c;
        i += length;
    }
    return result;
}

bool same_name_ignoring_case(std::string_view a, std::string_view b)
{
    const Units left = units_of(a);
    const Units right = units_of(b);
    if (left.is_text && right.is_text)
        return left.units == right.units;
    return a == b;
}

bool has_wildcard(std::string_view component)
{
    return component.find_first_of("*?") != std::string_view::npos;
}

bool wildcard_match(std::string_view pattern, std::string_view name)
{
    const Units pattern_units = units_of(pattern);
    const Units name_units = units_of(name);
    const bool as_text = pattern_units.is_text && name_units.is_text;
    const std::u32string p = as_text ? pattern_units.units : as_bytes(pattern);
    const std::u32string n = as_text ? name_units.units : as_bytes(name);
    if (match_units(p, n))
        return true;
    const std::u32string_view any_extension = U".*";
    return p.size() >= 2 && std::u32string_view(p).substr(p.size() - 2) == any_extension
        && match_units(std::u32string_view(p).substr(0, p.size() - 2), n);
}

} // namespace files
