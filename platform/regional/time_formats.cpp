#include "platform/regional/time_formats.h"

#include "platform/regional/utf8.h"

#include <cstddef>
#include <string_view>
#include <vector>

namespace regional {

namespace {

// One step of a strftime format: literal text, or a conversion with its padding flag and its
// "E" or "O" modifier.
struct Piece {
    bool is_conversion = false;
    std::string literal;
    char padding = 0; // '-', '_', '0' or 0 for none
    char modifier = 0; // 'E', 'O' or 0 for none
    char conversion = 0;
};

using Pieces = std::vector<Piece>;

void append_literal(Pieces& pieces, std::string_view text)
{
    if (!pieces.empty() && !pieces.back().is_conversion)
        pieces.back().literal += text;
    else
        pieces.push_back({ false, std::string(text) });
}

bool is_ascii_letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool is_one_character_or_empty(std::string_view text)
{
    return is_valid_utf8(text) && utf8_character_count(text) <= 1;
}

// Splits a format into pieces, with the composite conversions written out as strftime does.
// Returns false when the format needs `t_fmt_ampm` and it could not be read. Only the top level
// expands %r, so a `t_fmt_ampm` that names itself cannot recurse.
bool parse_format(std::string_view format, const std::optional<std::string>& t_fmt_ampm,
    bool top_level, Pieces& pieces)
{
    std::size_t i = 0;
    while (i < format.size()) {
        if (format[i] != '%') {
            const std::size_t next = format.find('%', i);
            const std::size_t end = next == std::string_view::npos ? format.size() : next;
            append_literal(pieces, format.substr(i, end - i));
            i = end;
            continue;
        }
        const std::size_t start = i++;
        char padding = 0;
        while (i < format.size()
            && std::string_view("_-0^#").find(format[i]) != std::string_view::npos) {
            if (format[i] != '^' && format[i] != '#')
                padding = format[i];
            ++i;
        }
        while (i < format.size() && format[i] >= '0' && format[i] <= '9')
            ++i;
        char modifier = 0;
        if (i < format.size() && (format[i] == 'E' || format[i] == 'O'))
            modifier = format[i++];
        if (i >= format.size()) {
            // strftime writes an unfinished conversion at the end as it stands.
            append_literal(pieces, format.substr(start));
            break;
        }
        const char conversion = format[i++];
        bool ok = true;
        switch (conversion) {
        case '%':
            append_literal(pieces, "%");
            break;
        case 'n':
            append_literal(pieces, "\n");
            break;
        case 't':
            append_literal(pieces, "\t");
            break;
        case 'D':
            ok = parse_format("%m/%d/%y", t_fmt_ampm, false, pieces);
            break;
        case 'F':
            ok = parse_format("%Y-%m-%d", t_fmt_ampm, false, pieces);
            break;
        case 'T':
            ok = parse_format("%H:%M:%S", t_fmt_ampm, false, pieces);
            break;
        case 'R':
            ok = parse_format("%H:%M", t_fmt_ampm, false, pieces);
            break;
        case 'r':
            if (!top_level) {
                pieces.push_back({ true, {}, padding, modifier, conversion });
            } else if (!t_fmt_ampm) {
                ok = false;
            } else {
                // strftime itself falls back to this form when the locale leaves T_FMT_AMPM empty.
                const std::string_view form
                    = t_fmt_ampm->empty() ? std::string_view("%I:%M:%S %p") : *t_fmt_ampm;
                ok = parse_format(form, t_fmt_ampm, false, pieces);
            }
            break;
        default:
            pieces.push_back({ true, {}, padding, modifier, conversion });
            break;
        }
        if (!ok)
            return false;
    }
    return true;
}

// Whether a numeric conversion pads with zeros: `zero_by_default` for the plain conversion,
// changed by the "-" (no padding), "_" (blanks) and "0" (zeros) flags.
bool pads_with_zeros(const Piece& piece, bool zero_by_default)
{
    if (piece.padding == '-' || piece.padding == '_')
        return false;
    if (piece.padding == '0')
        return true;
    return zero_by_default;
}

// The pattern token for a date conversion, or empty when it has none. "E" (era years) has no
// counterpart among the pattern letters.
std::string date_token(const Piece& piece)
{
    if (piece.modifier == 'E')
        return {};
    switch (piece.conversion) {
    case 'd':
        return pads_with_zeros(piece, true) ? "dd" : "d";
    case 'e':
        return pads_with_zeros(piece, false) ? "dd" : "d";
    case 'm':
        return pads_with_zeros(piece, true) ? "MM" : "M";
    case 'y':
        return "yy";
    case 'Y':
        return "yyyy";
    default:
        return {};
    }
}

// Appends literal text so that the pattern shows it as it stands: runs of ASCII letters go
// between single quotes, and a quote character goes between quotes of the other kind.
void append_pattern_text(std::string& pattern, std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        if (is_ascii_letter(text[i])) {
            std::size_t end = i;
            while (end < text.size() && is_ascii_letter(text[end]))
                ++end;
            pattern += '\'';
            pattern += text.substr(i, end - i);
            pattern += '\'';
            i = end;
        } else if (text[i] == '\'') {
            pattern += "\"'\"";
            ++i;
        } else if (text[i] == '"') {
            pattern += "'\"'";
            ++i;
        } else {
            pattern += text[i++];
        }
    }
}

// The text directly between the conversion at `first` and the next piece that is a conversion,
// when that conversion satisfies `wanted`; nothing when another conversion stands in between.
template <typename Wanted>
std::optional<std::string> text_before_next(const Pieces& pieces, std::size_t first, Wanted wanted)
{
    std::size_t next = first + 1;
    std::string between;
    if (next < pieces.size() && !pieces[next].is_conversion)
        between = pieces[next++].literal;
    if (next < pieces.size() && wanted(pieces[next]))
        return between;
    return std::nullopt;
}

void read_date_items(const LocaleTimeTexts& texts, DateTimeSettings& settings)
{
    Pieces pieces;
    if (!texts.d_fmt || !parse_format(*texts.d_fmt, texts.t_fmt_ampm, true, pieces))
        return;

    std::string pattern;
    bool pattern_readable = true;
    char last_token_letter = 0;
    std::size_t first_field = pieces.size();
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        const Piece& piece = pieces[i];
        if (!piece.is_conversion) {
            append_pattern_text(pattern, piece.literal);
            last_token_letter = 0;
            continue;
        }
        const std::string token = date_token(piece);
        if (token.empty()) {
            pattern_readable = false;
            break;
        }
        if (first_field == pieces.size())
            first_field = i;
        // Two fields of one letter side by side would read as one longer token ("dd" + "d" is
        // the weekday "ddd"); an empty quoted text keeps them apart.
        if (token.front() == last_token_letter)
            pattern += "''";
        pattern += token;
        last_token_letter = token.front();
    }
    // A format the pattern cannot follow leaves the date separator at "/" as well: the fixed
    // pattern "m/d/yy" with the separator of some other format would read "12年9年24".
    if (!pattern_readable)
        return;
    settings.short_date_pattern = pattern;

    // Every conversion left is a day, month or year number. A format with only one of them has
    // no separator to read.
    if (first_field < pieces.size()) {
        const auto separator = text_before_next(
            pieces, first_field, [](const Piece& piece) { return piece.is_conversion; });
        if (separator && is_one_character_or_empty(*separator))
            settings.date_separator = *separator;
    }
}

bool is_hour(const Piece& piece)
{
    if (!piece.is_conversion || piece.modifier == 'E')
        return false;
    return piece.conversion == 'H' || piece.conversion == 'I' || piece.conversion == 'k'
        || piece.conversion == 'l';
}

bool is_conversion(const Piece& piece, char conversion)
{
    return piece.is_conversion && piece.modifier != 'E' && piece.conversion == conversion;
}

void read_time_items(const LocaleTimeTexts& texts, DateTimeSettings& settings)
{
    Pieces pieces;
    if (!texts.t_fmt || !parse_format(*texts.t_fmt, texts.t_fmt_ampm, true, pieces))
        return;

    std::size_t hour = 0;
    while (hour < pieces.size() && !is_hour(pieces[hour]))
        ++hour;
    if (hour == pieces.size())
        return;

    const Piece& h = pieces[hour];
    const bool twelve_hour = h.conversion == 'I' || h.conversion == 'l';
    settings.clock_kind = twelve_hour ? 0 : 1;
    settings.hour_leading_zero
        = pads_with_zeros(h, h.conversion == 'H' || h.conversion == 'I') ? 1 : 0;

    settings.designator_position = 0;
    for (std::size_t i = 0; i < hour; ++i) {
        if (is_conversion(pieces[i], 'p') || is_conversion(pieces[i], 'P'))
            settings.designator_position = 1;
    }

    // The separator is what stands directly between the hour and the minute. The long time
    // pattern puts it between the minute and the second as well, so where the locale writes
    // something else there ("%H時%M分%S秒") it has no one time separator.
    const auto is_minute = [](const Piece& piece) { return is_conversion(piece, 'M'); };
    const auto is_second = [](const Piece& piece) { return is_conversion(piece, 'S'); };
    const auto separator = text_before_next(pieces, hour, is_minute);
    if (!separator || !is_one_character_or_empty(*separator))
        return;
    const std::size_t minute = hour + (separator->empty() ? 1 : 2);
    const auto second_separator = text_before_next(pieces, minute, is_second);
    if (second_separator && *second_separator != *separator)
        return;
    settings.time_separator = *separator;
}

} // namespace

DateTimeSettings settings_from_locale_texts(const LocaleTimeTexts& texts)
{
    DateTimeSettings settings;
    read_date_items(texts, settings);
    read_time_items(texts, settings);
    if (texts.am_str)
        settings.morning_designator = *texts.am_str;
    if (texts.pm_str)
        settings.afternoon_designator = *texts.pm_str;
    return settings;
}

} // namespace regional
