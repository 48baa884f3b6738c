#include "backup/date_time_text.h"

#include "platform/regional/utf8.h"

#include <charconv>
#include <cstddef>

namespace backup {

namespace {

bool is_ascii_letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

char to_upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool is_quote(char c) { return c == '\'' || c == '"'; }

bool starts_ampm(std::string_view pattern, std::size_t pos)
{
    static constexpr std::string_view ampm = "AMPM";
    if (pattern.size() - pos < ampm.size())
        return false;
    for (std::size_t i = 0; i < ampm.size(); ++i) {
        if (to_upper(pattern[pos + i]) != ampm[i])
            return false;
    }
    return true;
}

// Appends `value` with at least `digits` digits, zeros after any minus sign.
void append_number(std::string& out, long long value, int digits)
{
    char buffer[24];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    (void)error; // a long long always fits
    std::string_view text(buffer, static_cast<std::size_t>(end - buffer));
    if (!text.empty() && text.front() == '-') {
        out += '-';
        text.remove_prefix(1);
    }
    for (int i = static_cast<int>(text.size()); i < digits; ++i)
        out += '0';
    out += text;
}

// Whether the hour token that ends just before `pos` is on the 12-hour form by what follows it:
// the first "a" or "A" outside quotes decides, unless an "h" or "H" (quoted or not) comes
// first and leaves the question to that next hour token.
bool ampm_follows(std::string_view pattern, std::size_t pos)
{
    char open_quote = 0;
    while (pos < pattern.size()) {
        const char c = pattern[pos];
        if (c == 'h' || c == 'H')
            return false;
        if (is_quote(c)) {
            if (open_quote == 0)
                open_quote = c;
            else if (c == open_quote)
                open_quote = 0;
        } else if ((c == 'a' || c == 'A') && open_quote == 0) {
            return starts_ampm(pattern, pos);
        }
        pos += regional::utf8_character_length(pattern, pos);
    }
    return false;
}

class Expander {
public:
    Expander(const regional::DateTimeSettings& settings, const Moment& at, std::string_view pattern)
        : m_settings(settings)
        , m_at(at)
        , m_pattern(pattern)
    {
    }

    std::string run()
    {
        while (m_pos < m_pattern.size()) {
            const char c = m_pattern[m_pos];
            if (is_ascii_letter(c))
                letter();
            else if (is_quote(c))
                quoted();
            else if (c == '/')
                separator(m_settings.date_separator);
            else if (c == ':')
                separator(m_settings.time_separator);
            else
                character();
        }
        return std::move(m_out);
    }

private:
    void letter()
    {
        const char c = m_pattern[m_pos];
        char token = to_upper(c);
        if (token == 'A') {
            designator_or_letter();
            return;
        }
        // A run is case-sensitive: "Dd" is two day tokens of count 1.
        std::size_t count = 1;
        while (m_pos + count < m_pattern.size() && m_pattern[m_pos + count] == c)
            ++count;
        if (token == 'M' && m_last_token == 'H')
            token = 'N';
        m_last_token = token;

        const int digits = count >= 2 ? 2 : 1;
        switch (token) {
        case 'D':
            // Day names (ddd, dddd) and whole nested patterns (ddddd, dddddd) need texts the
            // items do not carry; longer runs stand as text rather than show something made up.
            if (count <= 2)
                append_number(m_out, m_at.day, digits);
            else
                literal_run(count);
            break;
        case 'M':
            if (count <= 2)
                append_number(m_out, m_at.month, digits);
            else
                literal_run(count); // month names, as day names above
            break;
        case 'Y':
            if (count <= 2)
                append_number(m_out, ((m_at.year % 100) + 100) % 100, 2);
            else
                append_number(m_out, m_at.year, 4);
            break;
        case 'H':
            if (!m_twelve_hour && ampm_follows(m_pattern, m_pos + count))
                m_twelve_hour = true;
            append_number(m_out, shown_hour(), digits);
            break;
        case 'N':
            append_number(m_out, m_at.minute, digits);
            break;
        case 'S':
            append_number(m_out, m_at.second, digits);
            break;
        default:
            // Era, milliseconds, the nested "c" and "t" patterns and any other letter occur in
            // no pattern derived from a locale, whose own letters are always quoted. They stand
            // as text: in particular the milliseconds never show.
            literal_run(count);
            break;
        }
        m_pos += count;
    }

    // "AMPM" in any case is the designator and puts the hours that follow on the 12-hour form;
    // any other "a" is a letter of its own, taken one at a time so that "aAMPM" still finds
    // the designator.
    void designator_or_letter()
    {
        m_last_token = 'A';
        if (starts_ampm(m_pattern, m_pos)) {
            const bool morning = m_at.hour < 12;
            m_out += morning ? m_settings.morning_designator : m_settings.afternoon_designator;
            m_twelve_hour = true;
            m_pos += 4;
        } else {
            m_out += m_pattern[m_pos++];
        }
    }

    // Quoted text is copied as it stands and is no token: "h'x'm" still shows minutes.
    void quoted()
    {
        const char quote = m_pattern[m_pos++];
        const std::size_t end = m_pattern.find(quote, m_pos);
        const std::size_t stop = end == std::string_view::npos ? m_pattern.size() : end;
        m_out += m_pattern.substr(m_pos, stop - m_pos);
        m_pos = end == std::string_view::npos ? stop : stop + 1;
    }

    void separator(const std::string& text)
    {
        m_out += text;
        ++m_pos;
    }

    // A character other than a letter, copied whole, so a multi-byte sequence is one character.
    void character()
    {
        const std::size_t length = regional::utf8_character_length(m_pattern, m_pos);
        m_out += m_pattern.substr(m_pos, length);
        m_pos += length;
    }

    void literal_run(std::size_t count) { m_out += m_pattern.substr(m_pos, count); }

    long long shown_hour() const
    {
        long long hour = m_at.hour;
        if (m_twelve_hour) {
            if (hour == 0)
                hour = 12;
            else if (hour > 12)
                hour -= 12;
        }
        return hour;
    }

    const regional::DateTimeSettings& m_settings;
    const Moment& m_at;
    std::string_view m_pattern;
    std::size_t m_pos = 0;
    char m_last_token = 0;
    bool m_twelve_hour = false;
    std::string m_out;
};

} // namespace

std::string expand_pattern(
    const regional::DateTimeSettings& settings, const Moment& at, std::string_view pattern)
{
    return Expander(settings, at, pattern).run();
}

std::string long_time_pattern(const regional::DateTimeSettings& settings)
{
    const bool twelve_hour = settings.clock_kind == 0;
    const bool designator_first = twelve_hour && settings.designator_position != 0;
    std::string pattern;
    if (designator_first)
        pattern += "AMPM ";
    pattern += settings.hour_leading_zero != 0 ? "hh" : "h";
    pattern += ":mm:ss";
    if (twelve_hour && !designator_first)
        pattern += " AMPM";
    return pattern;
}

std::string DateTimeText(const regional::DateTimeSettings& settings, const Moment& at)
{
    std::string text = expand_pattern(settings, at, settings.short_date_pattern);
    if (at.hour != 0 || at.minute != 0 || at.second != 0) {
        text += ' ';
        text += expand_pattern(settings, at, long_time_pattern(settings));
    }
    return text;
}

} // namespace backup
