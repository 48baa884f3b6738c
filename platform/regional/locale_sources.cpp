#include "platform/regional/locale_sources.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <pwd.h>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace regional {

namespace {

// A settings file is a few lines; anything past this is not one and is not read further.
constexpr std::size_t max_locale_conf_size = 64 * 1024;

std::optional<std::string> environment_variable(const char* name)
{
    const char* value = std::getenv(name);
    if (!value)
        return std::nullopt;
    return std::string(value);
}

std::string home_folder()
{
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry {};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found
        && found->pw_dir)
        return found->pw_dir;
    return {};
}

std::string read_file_start(const std::string& path)
{
    std::string text;
    if (path.empty())
        return text;
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(
        std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!file)
        return text;
    char buffer[4096];
    while (text.size() < max_locale_conf_size) {
        const std::size_t got = std::fread(buffer, 1, sizeof buffer, file.get());
        if (got == 0)
            break;
        text.append(buffer, got);
    }
    return text;
}

std::string_view trim(std::string_view text)
{
    const auto is_blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!text.empty() && is_blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && is_blank(text.back()))
        text.remove_suffix(1);
    return text;
}

// The values the settings file gives LC_TIME and LANG. Lines are NAME=value; a value may stand
// between double or single quotes; blank lines, comments and malformed lines are skipped; a
// later line for the same name wins, as it would in a shell.
struct LocaleConf {
    std::string lc_time;
    std::string lang;
};

LocaleConf parse_locale_conf(std::string_view text)
{
    LocaleConf conf;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = trim(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);

        const std::size_t equals = line.find('=');
        if (line.empty() || line.front() == '#' || equals == std::string_view::npos)
            continue;
        const std::string_view name = trim(line.substr(0, equals));
        std::string_view value = trim(line.substr(equals + 1));
        if (!value.empty() && (value.front() == '"' || value.front() == '\'')) {
            if (value.size() < 2 || value.back() != value.front())
                continue;
            value = value.substr(1, value.size() - 2);
        }
        if (name == "LC_TIME")
            conf.lc_time = value;
        else if (name == "LANG")
            conf.lang = value;
    }
    return conf;
}

bool is_set(const std::optional<std::string>& value) { return value && !value->empty(); }

} // namespace

LocaleSources LocaleSources::from_environment()
{
    LocaleSources sources;
    sources.lc_all = environment_variable("LC_ALL");
    sources.lc_time = environment_variable("LC_TIME");
    sources.lang = environment_variable("LANG");
    // Relative paths in XDG_CONFIG_HOME are to be ignored, as the base directory rules say.
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && config[0] == '/') {
        sources.locale_conf_path = std::string(config) + "/locale.conf";
    } else if (const std::string home = home_folder(); !home.empty()) {
        sources.locale_conf_path = home + "/.config/locale.conf";
    }
    return sources;
}

std::string choose_locale(const LocaleSources& sources)
{
    if (is_set(sources.lc_all))
        return *sources.lc_all;
    const LocaleConf conf = parse_locale_conf(read_file_start(sources.locale_conf_path));
    if (!conf.lc_time.empty())
        return conf.lc_time;
    if (!conf.lang.empty())
        return conf.lang;
    if (is_set(sources.lc_time))
        return *sources.lc_time;
    if (is_set(sources.lang))
        return *sources.lang;
    return "C";
}

} // namespace regional
