#include "platform/files/paths.h"

#include "tests/files/temporary_folder.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace std::string_literals;

namespace {

// A home folder serving as C: and a working folder beside it, with the few entries the cases
// look up.
class PathMapping : public ::testing::Test {
protected:
    PathMapping()
    {
        make_folder(home);
        make_folder(work);
        for (const char* folder : { "Omat tiedostot", "Kansio", "etc", "Äänitteet", "Документы" })
            make_folder(home + "/" + folder);
        for (const char* file : { "Foo", "FOO", "caf\xE9", "Omat tiedostot/raportti.txt" })
            write_bytes(home + "/" + file, "");
        drives.map('C', home);
        drives.map('Z', "/");
    }

    TemporaryFolder temporary;
    const std::string home = temporary / "koti";
    const std::string work = temporary / "työ";
    files::DriveTable drives;
};

TEST_F(PathMapping, MapsTypedPaths)
{
    enum Root { Home, Top, None };
    struct Case {
        std::string typed;
        std::string path; // "~" stands for the home folder, "." for the working folder
        std::string pattern;
        Root root;
        bool is_drive_root;
    };
    // clang-format off
    const Case cases[] = {
        // plain drive path
        { "C:\\Omat tiedostot", "~/Omat tiedostot", "", Home, false },
        // either separator, letter and name in any case
        { "c:/omat tiedostot", "~/Omat tiedostot", "", Home, false },
        // the drive alone is its root
        { "C:", "~", "", Home, true },
        // no current folder per drive: from the root
        { "C:kansio", "~/Kansio", "", Home, false },
        // Z: is the file system's top
        { "Z:\\tmp", "/tmp", "", Top, false },
        // a leading separator is drive Z:
        { "/tmp", "/tmp", "", Top, false },
        // ... either separator
        { "\\tmp", "/tmp", "", Top, false },
        // the current drive's root
        { "\\", "/", "", Top, true },
        // relative to the working folder
        { "Varakopiot", "./Varakopiot", "", Top, false },
        // ".." stops at the drive's root
        { "C:\\..\\..\\etc", "~/etc", "", Home, false },
        // a relative path climbs to "/" at most
        { "..\\..\\..\\..\\..\\..\\..\\..", "/", "", Top, true },
        // ".." pops by name
        { "C:\\Kansio\\..\\..\\Omat tiedostot", "~/Omat tiedostot", "", Home, false },
        // "." is dropped
        { "C:\\Kansio\\.\\.", "~/Kansio", "", Home, false },
        // unmapped drive names nothing
        { "D:\\x", "", "", None, false },
        // wildcard in the last component
        { "C:\\Kansio\\*.txt", "~/Kansio", "*.txt", Home, false },
        // the pattern's folder is found by case
        { "c:\\KANSIO\\?.TXT", "~/Kansio", "?.TXT", Home, false },
        // wildcard directly in the drive's root
        { "C:\\*", "~", "*", Home, true },
        // '*' before the last component is a name
        { "C:\\*\\..\\Kansio", "~/Kansio", "", Home, false },
        // a leading blank makes it relative
        { " C:\\x", "./ C:/x", "", Top, false },
        // only a letter names a drive
        { "1:\\x", "./1:/x", "", Top, false },
        // "Foo" and "FOO" both match: as typed
        { "C:\\foo", "~/foo", "", Home, false },
        // the exact name wins over its case twin
        { "C:\\FOO", "~/FOO", "", Home, false },
        // "ä" matches "Ä"
        { "C:\\äänitteet", "~/Äänitteet", "", Home, false },
        // Cyrillic folds too
        { "C:\\ДОКУМЕНТЫ", "~/Документы", "", Home, false },
        // found by case below a folder found by case
        { "c:\\omat tiedostot\\RAPORTTI.TXT", "~/Omat tiedostot/raportti.txt", "", Home, false },
        // not UTF-8: compared byte for byte
        { "C:\\CAF\xE9", "~/CAF\xE9", "", Home, false },
        // ... and found under its exact bytes
        { "C:\\caf\xE9", "~/caf\xE9", "", Home, false },
        // repeated and trailing separators
        { "C:\\\\Kansio//uusi\\", "~/Kansio/uusi", "", Home, false },
        // the empty text names nothing
        { "", "", "", None, false },
        // a NUL would cut the path short
        { "C:\\Kansio\0\\..\\.."s, "", "", None, false },
    };
    // clang-format on

    for (const auto& row : cases) {
        SCOPED_TRACE("typed: \"" + row.typed + "\"");
        const auto expand = [&](const std::string& path) {
            if (path.starts_with("~"))
                return home + path.substr(1);
            if (path.starts_with("."))
                return work + path.substr(1);
            return path;
        };
        const files::MappedPath mapped = files::map_path(row.typed, drives, work);
        EXPECT_EQ(mapped.path, expand(row.path));
        EXPECT_EQ(mapped.pattern, row.pattern);
        EXPECT_EQ(mapped.drive_root, row.root == Home ? home : row.root == Top ? "/" : "");
        EXPECT_EQ(mapped.is_drive_root(), row.is_drive_root);
        EXPECT_EQ(mapped.names_nothing(), row.root == None);
    }
}

TEST_F(PathMapping, TellsAnUnmappedDriveAndATrailingSeparator)
{
    EXPECT_TRUE(files::map_path("D:\\x", drives, work).on_unmapped_drive);
    EXPECT_FALSE(files::map_path("", drives, work).on_unmapped_drive);
    EXPECT_TRUE(files::map_path("C:\\Kansio\\", drives, work).ends_with_separator);
    EXPECT_FALSE(files::map_path("C:\\Kansio", drives, work).ends_with_separator);

    // Without Z: a rooted path has no drive to lie on.
    drives.unmap('Z');
    EXPECT_TRUE(files::map_path("\\tmp", drives, work).on_unmapped_drive);
}

TEST_F(PathMapping, RefusesARelativeWorkingFolder)
{
    EXPECT_THROW(files::map_path("x", drives, "relative"), std::invalid_argument);
}

TEST(WorkingFolder, IsTheProcessWorkingFolder)
{
    struct stat here { };
    struct stat reported { };
    ASSERT_EQ(::stat(".", &here), 0);
    ASSERT_EQ(::stat(files::working_folder().c_str(), &reported), 0);
    EXPECT_EQ(here.st_ino, reported.st_ino);
    EXPECT_EQ(here.st_dev, reported.st_dev);
}

} // namespace
