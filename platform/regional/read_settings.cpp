#include "platform/regional/read_settings.h"

#include "platform/regional/time_formats.h"

#include <cerrno>
#include <iconv.h>
#include <langinfo.h>
#include <locale.h>
#include <optional>
#include <string_view>

namespace regional {

namespace {

// Owns a locale object from `newlocale`.
class Locale {
public:
    explicit Locale(const std::string& name)
        : m_locale(newlocale(LC_CTYPE_MASK | LC_TIME_MASK, name.c_str(), static_cast<locale_t>(0)))
    {
    }
    ~Locale()
    {
        if (m_locale)
            freelocale(m_locale);
    }
    Locale(const Locale&) = delete;
    Locale& operator=(const Locale&) = delete;

    bool is_open() const { return m_locale != static_cast<locale_t>(0); }
    std::string_view item(nl_item which) const
    {
        const char* text = nl_langinfo_l(which, m_locale);
        return text ? std::string_view(text) : std::string_view();
    }

private:
    locale_t m_locale;
};

// Owns a conversion descriptor from `iconv_open`.
class Converter {
public:
    Converter(const char* to, const char* from)
        : m_cd(iconv_open(to, from))
    {
    }
    ~Converter()
    {
        if (is_open())
            iconv_close(m_cd);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool is_open() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

    // The whole text converted, or nothing when a byte sequence is invalid or incomplete.
    // Converting UTF-8 to UTF-8 this way also rejects malformed locale data.
    std::optional<std::string> convert(std::string_view text)
    {
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        std::string result;
        char* in = const_cast<char*>(text.data());
        std::size_t in_left = text.size();
        while (in_left > 0) {
            char buffer[256];
            char* out = buffer;
            std::size_t out_left = sizeof buffer;
            const std::size_t done = iconv(m_cd, &in, &in_left, &out, &out_left);
            result.append(buffer, static_cast<std::size_t>(out - buffer));
            if (done == static_cast<std::size_t>(-1) && errno != E2BIG)
                return std::nullopt;
        }
        return result;
    }

private:
    iconv_t m_cd;
};

} // namespace

DateTimeSettings read_date_time_settings(const std::string& locale_name)
{
    if (locale_name.empty())
        return {};
    const Locale locale(locale_name);
    if (!locale.is_open())
        return {};
    const std::string codeset(locale.item(CODESET));
    Converter to_utf8("UTF-8", codeset.c_str());
    if (!to_utf8.is_open())
        return {};

    LocaleTimeTexts texts;
    texts.d_fmt = to_utf8.convert(locale.item(D_FMT));
    texts.t_fmt = to_utf8.convert(locale.item(T_FMT));
    texts.t_fmt_ampm = to_utf8.convert(locale.item(T_FMT_AMPM));
    texts.am_str = to_utf8.convert(locale.item(AM_STR));
    texts.pm_str = to_utf8.convert(locale.item(PM_STR));
    return settings_from_locale_texts(texts);
}

} // namespace regional
