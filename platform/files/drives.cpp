#include "platform/files/drives.h"

#include <cstdlib>
#include <pwd.h>
#include <stdexcept>
#include <string_view>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace files {

namespace {

constexpr std::string_view variable_prefix = "SIIRTOLUX_DRIVE_";

std::optional<std::size_t> drive_index(char letter)
{
    if (letter >= 'A' && letter <= 'Z')
        return static_cast<std::size_t>(letter - 'A');
    if (letter >= 'a' && letter <= 'z')
        return static_cast<std::size_t>(letter - 'a');
    return std::nullopt;
}

std::size_t checked_index(char letter)
{
    const auto index = drive_index(letter);
    if (!index)
        throw std::invalid_argument("A drive is named by an ASCII letter");
    return *index;
}

bool is_absolute(std::string_view path) { return !path.empty() && path.front() == '/'; }

std::optional<std::string> account_home()
{
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    for (;;) {
        passwd entry {};
        passwd* found = nullptr;
        const int error = ::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found);
        if (error == ERANGE && buffer.size() < (1u << 20)) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (error != 0 || !found || !found->pw_dir || !is_absolute(found->pw_dir))
            return std::nullopt;
        return std::string(found->pw_dir);
    }
}

} // namespace

std::string normalise_absolute(const std::string& folder)
{
    std::vector<std::string_view> parts;
    std::string_view rest = folder;
    while (!rest.empty()) {
        const auto slash = rest.find('/');
        const std::string_view part = rest.substr(0, slash);
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
        if (part.empty() || part == ".")
            continue;
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
            continue;
        }
        parts.push_back(part);
    }
    if (parts.empty())
        return "/";
    std::string result;
    for (const auto part : parts) {
        result += '/';
        result += part;
    }
    return result;
}

DriveTable DriveTable::from_environment()
{
    DriveTable table;
    const char* home = std::getenv("HOME");
    if (home && is_absolute(home))
        table.map('C', home);
    else if (const auto from_account = account_home())
        table.map('C', *from_account);
    table.map('Z', "/");

    // Lower-case spellings first, so that an upper-case one set beside it wins.
    for (const bool upper : { false, true }) {
        for (char** entry = environ; entry && *entry; ++entry) {
            const std::string_view variable = *entry;
            if (variable.size() < variable_prefix.size() + 2
                || variable.substr(0, variable_prefix.size()) != variable_prefix
                || variable[variable_prefix.size() + 1] != '=')
                continue;
            const char letter = variable[variable_prefix.size()];
            const bool is_upper = letter >= 'A' && letter <= 'Z';
            if (!drive_index(letter) || is_upper != upper)
                continue;
            const std::string value(variable.substr(variable_prefix.size() + 2));
            if (is_absolute(value))
                table.map(letter, value);
            else
                table.unmap(letter);
        }
    }
    return table;
}

void DriveTable::map(char letter, const std::string& folder)
{
    const std::size_t index = checked_index(letter);
    if (!is_absolute(folder))
        throw std::invalid_argument("A drive's folder must be an absolute path");
    m_roots[index] = normalise_absolute(folder);
}

void DriveTable::unmap(char letter) { m_roots[checked_index(letter)].reset(); }

std::optional<std::string> DriveTable::root(char letter) const
{
    const auto index = drive_index(letter);
    if (!index)
        return std::nullopt;
    return m_roots[*index];
}

} // namespace files
