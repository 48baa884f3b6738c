#include "platform/files/drives.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <optional>
#include <pwd.h>
#include <stdexcept>
#include <unistd.h>
#include <vector>

using namespace std::string_literals;

namespace {

// Sets environment variables for one test and puts back what was there before.
class Environment {
public:
    void set(const std::string& name, const std::optional<std::string>& value)
    {
        if (!m_saved.count(name)) {
            const char* old = std::getenv(name.c_str());
            m_saved[name] = old ? std::optional<std::string>(old) : std::nullopt;
        }
        if (value)
            ::setenv(name.c_str(), value->c_str(), 1);
        else
            ::unsetenv(name.c_str());
    }
    ~Environment()
    {
        for (const auto& [name, value] : m_saved) {
            if (value)
                ::setenv(name.c_str(), value->c_str(), 1);
            else
                ::unsetenv(name.c_str());
        }
    }

private:
    std::map<std::string, std::optional<std::string>> m_saved;
};

std::string account_home() { return ::getpwuid(::getuid())->pw_dir; }

TEST(DriveTable, ReadsItsMappingsFromTheEnvironment)
{
    struct Setting {
        const char* name;
        std::optional<std::string> value;
    };
    struct Case {
        std::vector<Setting> settings;
        char letter;
        std::optional<std::string> root;
    };
    // clang-format off
    const Case cases[] = {
        // C: is the home folder
        { { { "HOME", "/home/testi" } }, 'C', "/home/testi" },
        // either case of letter; a trailing '/' is dropped
        { { { "HOME", "/home/testi/" } }, 'c', "/home/testi" },
        // no HOME: the account's home folder
        { { { "HOME", std::nullopt } }, 'C', account_home() },
        // a relative HOME is no home folder
        { { { "HOME", "relative" } }, 'C', account_home() },
        // Z: is the top
        { {}, 'Z', "/" },
        // other letters start unmapped
        { {}, 'D', std::nullopt },
        // a new letter, normalised
        { { { "SIIRTOLUX_DRIVE_D", "/media//usb/." } }, 'D', "/media/usb" },
        // remaps the home drive
        { { { "SIIRTOLUX_DRIVE_C", "/srv/backup" } }, 'C', "/srv/backup" },
        // a lower-case letter in the name
        { { { "SIIRTOLUX_DRIVE_e", "/mnt/e" } }, 'E', "/mnt/e" },
        // both spellings: the upper-case one wins, whatever the order in the environment
        { { { "SIIRTOLUX_DRIVE_F", "/upper" }, { "SIIRTOLUX_DRIVE_f", "/lower" } }, 'F', "/upper" },
        { { { "SIIRTOLUX_DRIVE_f", "/lower" }, { "SIIRTOLUX_DRIVE_F", "/upper" } }, 'F', "/upper" },
        // an empty value unmaps
        { { { "SIIRTOLUX_DRIVE_Z", "" } }, 'Z', std::nullopt },
        // a relative value unmaps rather than guessing a folder
        { { { "SIIRTOLUX_DRIVE_C", "srv/backup" } }, 'C', std::nullopt },
        // one letter only
        { { { "SIIRTOLUX_DRIVE_GH", "/x" } }, 'G', std::nullopt },
        // no drive for a digit
        { { { "SIIRTOLUX_DRIVE_1", "/x" } }, '1', std::nullopt },
    };
    // clang-format on
    for (const auto& row : cases) {
        SCOPED_TRACE(std::string("letter ") + row.letter);
        Environment environment;
        environment.set("HOME", "/home/oletus");
        for (const char letter : { 'C', 'D', 'E', 'F', 'Z', 'e', 'f' })
            environment.set("SIIRTOLUX_DRIVE_"s + letter, std::nullopt);
        for (const auto& setting : row.settings)
            environment.set(setting.name, setting.value);
        EXPECT_EQ(files::DriveTable::from_environment().root(row.letter), row.root);
    }
}

TEST(DriveTable, RefusesWhatCannotBeADrive)
{
    files::DriveTable drives;
    drives.map('K', "/koe");
    EXPECT_THROW(drives.map('1', "/x"), std::invalid_argument);
    EXPECT_THROW(drives.map('K', "x"), std::invalid_argument);
    EXPECT_THROW(drives.unmap(':'), std::invalid_argument);
    EXPECT_EQ(drives.root('k'), "/koe"); // a refused change leaves the table as it was
}

} // namespace
