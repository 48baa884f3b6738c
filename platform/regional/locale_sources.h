#pragma once

#include <optional>
#include <string>

namespace regional {

// Where the name of the locale for dates and times can come from. The program fills it from
// its real environment; tests build it by hand.
struct LocaleSources {
    // Environment variables; nullopt when unset.
    std::optional<std::string> lc_all;
    std::optional<std::string> lc_time;
    std::optional<std::string> lang;
    // The user's locale settings file; empty when there is none to look at.
    std::string locale_conf_path;

    // Reads the three variables and places the file at $XDG_CONFIG_HOME/locale.conf, or at
    // ~/.config/locale.conf when that variable is unset, empty or not an absolute path.
    static LocaleSources from_environment();
};

// The locale for dates and times: the first that is set of LC_ALL in the environment; LC_TIME,
// then LANG, in the locale settings file; LC_TIME, then LANG, in the environment; else "C".
// An empty value counts as unset, as the C library treats empty locale variables. The file is
// read afresh at every call; a missing or unreadable file counts as one that sets nothing.
// Never throws except std::bad_alloc.
std::string choose_locale(const LocaleSources& sources);

} // namespace regional
