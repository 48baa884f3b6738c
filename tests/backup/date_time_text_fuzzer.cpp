// Feeds DateTimeText arbitrary settings, patterns and moments. Besides not crashing, the text
// must be well-formed UTF-8 whenever every text that went in was.
#include "backup/date_time_text.h"

#include "platform/regional/utf8.h"

#include <cstdint>
#include <cstdlib>
#include <fuzzer/FuzzedDataProvider.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    regional::DateTimeSettings settings;
    settings.clock_kind = input.ConsumeIntegralInRange(-1, 2);
    settings.hour_leading_zero = input.ConsumeIntegralInRange(-1, 2);
    settings.designator_position = input.ConsumeIntegralInRange(-1, 2);
    settings.date_separator = input.ConsumeRandomLengthString(8);
    settings.time_separator = input.ConsumeRandomLengthString(8);
    settings.morning_designator = input.ConsumeRandomLengthString(16);
    settings.afternoon_designator = input.ConsumeRandomLengthString(16);
    backup::Moment at {};
    // Mostly real moments, so the time-of-day branches are reached, sometimes anything at all.
    if (input.ConsumeBool()) {
        at = { input.ConsumeIntegralInRange(1, 9999), input.ConsumeIntegralInRange(1, 12),
            input.ConsumeIntegralInRange(1, 31), input.ConsumeIntegralInRange(0, 23),
            input.ConsumeIntegralInRange(0, 59), input.ConsumeIntegralInRange(0, 59),
            input.ConsumeIntegralInRange(0, 999) };
    } else {
        at = { input.ConsumeIntegral<int>(), input.ConsumeIntegral<int>(),
            input.ConsumeIntegral<int>(), input.ConsumeIntegral<int>(),
            input.ConsumeIntegral<int>(), input.ConsumeIntegral<int>(),
            input.ConsumeIntegral<int>() };
    }
    settings.short_date_pattern = input.ConsumeRemainingBytesAsString();

    const std::string text = backup::DateTimeText(settings, at);

    const bool valid_input = regional::is_valid_utf8(settings.short_date_pattern)
        && regional::is_valid_utf8(settings.date_separator)
        && regional::is_valid_utf8(settings.time_separator)
        && regional::is_valid_utf8(settings.morning_designator)
        && regional::is_valid_utf8(settings.afternoon_designator);
    if (valid_input && !regional::is_valid_utf8(text))
        std::abort();
    return 0;
}
