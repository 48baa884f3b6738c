// Feeds the derivation of the items arbitrary locale texts, then renders with what came out.
// The separators must be empty or one character, as the items promise, and the pattern a
// readable one must expand without fault.
#include "platform/regional/time_formats.h"

#include "backup/date_time_text.h"
#include "platform/regional/utf8.h"

#include <cstdint>
#include <cstdlib>
#include <fuzzer/FuzzedDataProvider.h>

namespace {

std::optional<std::string> maybe_text(FuzzedDataProvider& input, std::size_t max_length)
{
    if (input.ConsumeIntegralInRange(0, 7) == 0)
        return std::nullopt;
    return input.ConsumeRandomLengthString(max_length);
}

bool is_separator(const std::string& text) { return regional::utf8_character_count(text) <= 1; }

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    regional::LocaleTimeTexts texts;
    texts.t_fmt_ampm = maybe_text(input, 64);
    texts.am_str = maybe_text(input, 16);
    texts.pm_str = maybe_text(input, 16);
    texts.t_fmt = maybe_text(input, 64);
    texts.d_fmt = maybe_text(input, 256);

    const regional::DateTimeSettings settings = regional::settings_from_locale_texts(texts);
    if (!is_separator(settings.date_separator) || !is_separator(settings.time_separator))
        std::abort();
    if (settings.clock_kind < 0 || settings.clock_kind > 1 || settings.hour_leading_zero < 0
        || settings.hour_leading_zero > 1 || settings.designator_position < 0
        || settings.designator_position > 1)
        std::abort();
    (void)backup::DateTimeText(settings, { 2024, 12, 9, 13, 5, 7, 0 });
    return 0;
}
