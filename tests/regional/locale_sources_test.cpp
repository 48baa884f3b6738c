#include "platform/regional/locale_sources.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

namespace regional {
namespace {

namespace fs = std::filesystem;

// A fresh folder for one test's locale.conf, removed with everything in it.
class TemporaryFolder {
public:
    TemporaryFolder()
    {
        std::string name = (fs::temp_directory_path() / "siirtolux-regional-XXXXXX").string();
        if (!mkdtemp(name.data()))
            throw std::runtime_error("mkdtemp failed");
        m_path = name;
    }
    ~TemporaryFolder()
    {
        std::error_code ignored;
        fs::remove_all(m_path, ignored);
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    const fs::path& path() const { return m_path; }

    std::string write(const char* name, const std::string& text) const
    {
        const fs::path file = m_path / name;
        std::ofstream(file, std::ios::binary) << text;
        return file.string();
    }

private:
    fs::path m_path;
};

using Value = std::optional<std::string>;

TEST(LocaleSources, ChoiceFollowsTheOrder)
{
    // clang-format off
    const struct {
        Value lc_all, lc_time, lang;
        Value conf; // locale.conf contents; nullopt = no file
        const char* expected;
    } cases[] = {
        // LC_ALL in the environment beats everything.
        { "fi_FI.UTF-8", "de_DE.UTF-8", "sv_SE.UTF-8", "LC_TIME=en_GB.UTF-8\n", "fi_FI.UTF-8" },
        // The file's LC_TIME beats the file's LANG and the environment.
        { {}, "de_DE.UTF-8", "sv_SE.UTF-8", "LANG=en_US.UTF-8\nLC_TIME=en_GB.UTF-8\n", "en_GB.UTF-8" },
        // The file's LANG beats even LC_TIME in the environment.
        { {}, "de_DE.UTF-8", "sv_SE.UTF-8", "LANG=en_US.UTF-8\n", "en_US.UTF-8" },
        // A file without either: the environment's LC_TIME, then LANG.
        { {}, "de_DE.UTF-8", "sv_SE.UTF-8", "LC_MESSAGES=fi_FI.UTF-8\n", "de_DE.UTF-8" },
        { {}, {}, "sv_SE.UTF-8", {}, "sv_SE.UTF-8" },
        // Nothing set at all.
        { {}, {}, {}, {}, "C" },
        // Empty values count as unset, in the environment and in the file.
        { "", "", "sv_SE.UTF-8", "LC_TIME=\nLANG=\"\"\n", "sv_SE.UTF-8" },
        { "", "", "", "", "C" },
        // Quotes of either kind, blanks around the line, comments and blank lines.
        { {}, {}, {}, "# LANG=xx\n\n  LC_TIME='fi_FI.UTF-8'  \r\n", "fi_FI.UTF-8" },
        { {}, {}, {}, "LANG=\"de_DE.UTF-8\"\n", "de_DE.UTF-8" },
        // An unterminated quote, or a line without "=", is skipped rather than half read.
        { {}, {}, "sv_SE.UTF-8", "LC_TIME=\"fi_FI.UTF-8\nLANG\n", "sv_SE.UTF-8" },
        // The last line for a name wins, as in a shell; an emptied value is unset again.
        { {}, {}, {}, "LANG=fi_FI.UTF-8\nLANG=de_DE.UTF-8", "de_DE.UTF-8" },
        { {}, {}, "sv_SE.UTF-8", "LC_TIME=fi_FI.UTF-8\nLC_TIME=\n", "sv_SE.UTF-8" },
        // Only whole names count.
        { {}, {}, {}, "XLANG=fi_FI.UTF-8\nLANGUAGE=de_DE.UTF-8\n", "C" },
    };
    // clang-format on
    const TemporaryFolder folder;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.conf.value_or("<no file>"));
        LocaleSources sources { c.lc_all, c.lc_time, c.lang, (folder.path() / "absent").string() };
        if (c.conf)
            sources.locale_conf_path = folder.write("locale.conf", *c.conf);
        EXPECT_EQ(choose_locale(sources), c.expected);
    }
}

TEST(LocaleSources, UnreadableFileCountsAsNone)
{
    const TemporaryFolder folder;
    // A folder where the file should be, and no path at all.
    for (const std::string& path : { folder.path().string(), std::string() }) {
        SCOPED_TRACE(path);
        EXPECT_EQ(choose_locale({ {}, {}, "sv_SE.UTF-8", path }), "sv_SE.UTF-8");
    }
}

// Sets an environment variable for one test and puts back what was there.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const char* value)
        : m_name(name)
    {
        if (const char* old = std::getenv(name))
            m_old = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedVariable()
    {
        if (m_old)
            setenv(m_name, m_old->c_str(), 1);
        else
            unsetenv(m_name);
    }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

TEST(LocaleSources, FromEnvironmentReadsVariablesAndPlacesTheFile)
{
    const ScopedVariable lc_all("LC_ALL", nullptr);
    const ScopedVariable lc_time("LC_TIME", "");
    const ScopedVariable lang("LANG", "fi_FI.UTF-8");
    const ScopedVariable home("HOME", "/home/someone");
    {
        const ScopedVariable config("XDG_CONFIG_HOME", "/etc/xdg-test");
        const LocaleSources sources = LocaleSources::from_environment();
        EXPECT_EQ(sources.lc_all, std::nullopt);
        EXPECT_EQ(sources.lc_time, ""); // set but empty is still set here; choose_locale skips it
        EXPECT_EQ(sources.lang, "fi_FI.UTF-8");
        EXPECT_EQ(sources.locale_conf_path, "/etc/xdg-test/locale.conf");
    }
    // Unset, empty or relative XDG_CONFIG_HOME: the default under the home folder.
    for (const char* value : { static_cast<const char*>(nullptr), "", "relative/config" }) {
        SCOPED_TRACE(value ? value : "<unset>");
        const ScopedVariable config("XDG_CONFIG_HOME", value);
        EXPECT_EQ(LocaleSources::from_environment().locale_conf_path,
            "/home/someone/.config/locale.conf");
    }
}

} // namespace
} // namespace regional
