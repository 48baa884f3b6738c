#include "platform/fileops/file_copy.h"
#include "platform/files/errors.h"
#include "tests/files/temporary_folder.h"

#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace fileops;

namespace {

struct Folders {
    TemporaryFolder root;
    std::string source = root / "lähde";
    std::string target = root / "kohde";
    int target_fd = -1;
    Folders()
    {
        make_folder(source);
        make_folder(target);
        target_fd = ::open(target.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    }
    ~Folders() { ::close(target_fd); }

    std::vector<std::string> target_entries() const
    {
        std::vector<std::string> names;
        DIR* d = ::opendir(target.c_str());
        while (dirent* e = ::readdir(d))
            if (std::string(e->d_name) != "." && std::string(e->d_name) != "..")
                names.push_back(e->d_name);
        ::closedir(d);
        std::sort(names.begin(), names.end());
        return names;
    }
};

std::string pattern_bytes(std::size_t n)
{
    std::string s(n, '\0');
    for (std::size_t i = 0; i < n; ++i)
        s[i] = static_cast<char>((i * 131 + i / 4096) & 0xFF);
    return s;
}

} // namespace

TEST(FileCopy, NewFilesArriveWholeWithModeAndTime)
{
    // clang-format off
    const struct { const char* name; std::size_t size; mode_t mode; } cases[] = {
        { "tyhjä", 0, 0644 },                  // empty file
        { "pieni tiedosto.txt", 17, 0600 },    // blanks and a mode to keep
        { "iso.bin", 3u << 20, 0755 },         // several slices of data
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Folders f;
        const std::string from = f.source + "/" + c.name;
        const std::string data = pattern_bytes(c.size);
        write_bytes(from, data);
        ::chmod(from.c_str(), c.mode);
        const timespec times[2] = { { 1'000'000'000, 0 }, { 1'234'567'890, 123'000'000 } };
        ::utimensat(AT_FDCWD, from.c_str(), times, 0);
        std::uint64_t reported = 0;
        EXPECT_TRUE(copy_file(from, f.target_fd, c.name, false, [&](std::uint64_t n) {
            reported += n;
            return true;
        }));
        const std::string to = f.target + "/" + c.name;
        EXPECT_EQ(read_bytes(to), data);
        EXPECT_EQ(reported, c.size);
        struct stat st {};
        ASSERT_EQ(::stat(to.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, c.mode);
        EXPECT_EQ(st.st_mtim.tv_sec, 1'234'567'890);
        EXPECT_EQ(st.st_mtim.tv_nsec, 123'000'000);
        EXPECT_EQ(f.target_entries(), std::vector<std::string> { c.name }); // nothing else left
    }
}

TEST(FileCopy, ExistingNameIsReplacedOnlyWhenAskedAndOnlyWhenWhole)
{
    Folders f;
    write_bytes(f.source + "/a", "uusi sisältö");
    write_bytes(f.target + "/a", "vanha");
    try {
        copy_file(f.source + "/a", f.target_fd, "a", false);
        FAIL() << "no error";
    } catch (const files::SystemError& e) {
        EXPECT_EQ(e.code(), EEXIST);
    }
    EXPECT_EQ(read_bytes(f.target + "/a"), "vanha");

    // Stopped halfway: the old file stays as it was and no temporary file is left.
    write_bytes(f.source + "/b", pattern_bytes(3u << 20));
    write_bytes(f.target + "/b", "vanha b");
    EXPECT_FALSE(copy_file(f.source + "/b", f.target_fd, "b", true, [](std::uint64_t) { return false; }));
    EXPECT_EQ(read_bytes(f.target + "/b"), "vanha b");
    EXPECT_EQ(f.target_entries(), (std::vector<std::string> { "a", "b" }));

    EXPECT_TRUE(copy_file(f.source + "/a", f.target_fd, "a", true));
    EXPECT_EQ(read_bytes(f.target + "/a"), "uusi sisältö");
    EXPECT_EQ(f.target_entries(), (std::vector<std::string> { "a", "b" }));
}

TEST(FileCopy, StoppedNewCopyLeavesNothing)
{
    Folders f;
    write_bytes(f.source + "/c", pattern_bytes(3u << 20));
    EXPECT_FALSE(copy_file(f.source + "/c", f.target_fd, "c", false, [](std::uint64_t) { return false; }));
    EXPECT_TRUE(f.target_entries().empty());
}

TEST(FileCopy, SpecialFilesAndLinksAreNeverOpenedAsData)
{
    Folders f;
    ASSERT_EQ(::mkfifo((f.source + "/putki").c_str(), 0644), 0);
    write_bytes(f.root / "ulkona", "x");
    ASSERT_EQ(::symlink((f.root / "ulkona").c_str(), (f.source + "/linkki").c_str()), 0);
    for (const char* name : { "putki", "linkki" }) {
        SCOPED_TRACE(name);
        // A FIFO opened for reading would block the copy; a link would be followed.
        EXPECT_THROW(copy_file(f.source + "/" + name, f.target_fd, name, false), files::SystemError);
    }
    EXPECT_TRUE(f.target_entries().empty());
}
