#include "platform/files/replace_file.h"

#include "platform/files/errors.h"
#include "tests/child_process.h"
#include "tests/files/temporary_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <grp.h>
#include <linux/fs.h>
#include <pwd.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace std::string_literals;

namespace {

std::vector<std::string> entries_of(const std::string& folder)
{
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..")
                names.push_back(name);
        }
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

mode_t mode_of(const std::string& path)
{
    struct stat info { };
    return ::stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

// What replace_file did, in a form that crosses from a child process: "ok", or the exception's
// class and message.
std::string outcome_of(const std::function<void()>& save)
{
    try {
        save();
        return "ok";
    } catch (const files::CreateError& e) {
        return "CreateError: "s + e.what();
    } catch (const files::WriteError& e) {
        return "WriteError: "s + e.what();
    } catch (const std::exception& e) {
        return "other: "s + e.what();
    }
}

// Runs `save` in a forked child (see run_in_child) and returns its outcome.
std::string outcome_in_child(
    const std::function<void()>& save, bool as_nobody, const std::function<void()>& prepare = [] {})
{
    return run_in_child([&] { return outcome_of(save); }, as_nobody, prepare);
}

class ReplaceFile : public ::testing::Test {
protected:
    TemporaryFolder folder;
    const std::string log = folder / "loki.txt";
};

TEST_F(ReplaceFile, WritesExactlyTheBytesGiven)
{
    struct Case {
        std::optional<std::string> old_contents;
        std::string bytes;
    };
    // clang-format off
    const Case cases[] = {
        { std::nullopt,           "Odotan kopiointi käskyä...\r\n" }, // a fresh file
        { "short",                "a much longer text\r\nwith two lines\r\n" }, // longer than before
        { std::string(4096, 'x'), "shorter\r\n" },  // shorter: no tail of the old file survives
        { "old",                  "" },             // an empty text empties the file
        { std::nullopt,           "nul \0 and \xff"s }, // bytes, not C strings
    };
    // clang-format on
    for (const auto& row : cases) {
        SCOPED_TRACE(::testing::PrintToString(row.bytes));
        ::unlink(log.c_str());
        if (row.old_contents)
            write_bytes(log, *row.old_contents);
        files::replace_file(log, row.bytes);
        EXPECT_EQ(read_bytes(log), row.bytes);
        EXPECT_EQ(entries_of(folder.path()), std::vector<std::string> { "loki.txt" });
    }
}

TEST_F(ReplaceFile, KeepsThePermissionsOfTheFileItReplaces)
{
    write_bytes(log, "old");
    ASSERT_EQ(::chmod(log.c_str(), 0640), 0);
    files::replace_file(log, "new");
    EXPECT_EQ(mode_of(log), 0640u);
}

TEST_F(ReplaceFile, GivesANewFileTheUsualModeLessTheUmask)
{
    const mode_t old_mask = ::umask(027);
    files::replace_file(log, "new");
    ::umask(old_mask);
    EXPECT_EQ(mode_of(log), 0640u);
}

TEST_F(ReplaceFile, ReplacesASymbolicLinkAndLeavesItsTarget)
{
    const std::string target = folder / "target.txt";
    write_bytes(target, "target");
    ASSERT_EQ(::symlink(target.c_str(), log.c_str()), 0);
    files::replace_file(log, "new");
    EXPECT_EQ(read_bytes(log), "new");
    EXPECT_EQ(read_bytes(target), "target");
}

// Each failure leaves the previous file byte for byte as it was and no temporary file behind.
class ReplaceFileFailure : public ReplaceFile {
protected:
    void expect_untouched(const std::vector<std::string>& entries = { "loki.txt" })
    {
        EXPECT_EQ(read_bytes(log), old_contents);
        EXPECT_EQ(entries_of(folder.path()), entries);
    }

    const std::string old_contents = "Odotan kopiointi käskyä...\r\n";
};

TEST_F(ReplaceFileFailure, InAFolderThatIsNotWritable)
{
    write_bytes(log, old_contents);
    ASSERT_EQ(::chmod(log.c_str(), 0666), 0); // the file itself may be written
    ASSERT_EQ(::chmod(folder.path().c_str(), 0555), 0);
    const std::string outcome
        = outcome_in_child([&] { files::replace_file(log, "new contents"); }, true);
    if (outcome == "cannot become nobody")
        GTEST_SKIP() << "cannot drop to the user nobody to test permissions";
    EXPECT_EQ(outcome, "CreateError: Cannot create file \"" + log + "\". Permission denied");
    expect_untouched();
}

TEST_F(ReplaceFileFailure, OfAReadOnlyFile)
{
    write_bytes(log, old_contents);
    ASSERT_EQ(::chmod(log.c_str(), 0444), 0);
    // The folder would let the file be renamed over: only the first check stops that.
    ASSERT_EQ(::chmod(folder.path().c_str(), 0777), 0);
    const std::string outcome
        = outcome_in_child([&] { files::replace_file(log, "new contents"); }, true);
    if (outcome == "cannot become nobody")
        GTEST_SKIP() << "cannot drop to the user nobody to test permissions";
    EXPECT_EQ(outcome, "CreateError: Cannot create file \"" + log + "\". Permission denied");
    expect_untouched();
}

TEST_F(ReplaceFileFailure, NamesTheFullPathOfARelativeName)
{
    write_bytes(log, old_contents);
    ASSERT_EQ(::chmod(log.c_str(), 0444), 0);
    const std::string outcome = outcome_in_child([&] { files::replace_file("loki.txt", "new"); },
        true, [&] { (void)!::chdir(folder.path().c_str()); });
    if (outcome == "cannot become nobody")
        GTEST_SKIP() << "cannot drop to the user nobody to test permissions";
    EXPECT_EQ(outcome, "CreateError: Cannot create file \"" + log + "\". Permission denied");
    expect_untouched();
}

TEST_F(ReplaceFileFailure, OfAnImmutableFile)
{
    write_bytes(log, old_contents);
    const int fd = ::open(log.c_str(), O_RDONLY);
    int flags = 0;
    const bool immutable = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0
        && (flags |= FS_IMMUTABLE_FL, ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0);
    if (!immutable) {
        if (fd >= 0)
            ::close(fd);
        GTEST_SKIP() << "this file system or user cannot make a file immutable";
    }
    const std::string outcome = outcome_of([&] { files::replace_file(log, "new"); });
    flags &= ~FS_IMMUTABLE_FL;
    ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
    ::close(fd);
    EXPECT_EQ(outcome, "CreateError: Cannot create file \"" + log + "\". Operation not permitted");
    expect_untouched();
}

TEST_F(ReplaceFileFailure, WhereAFolderHasTheName)
{
    make_folder(log);
    write_bytes(log + "/inside", "kept");
    EXPECT_EQ(outcome_of([&] { files::replace_file(log, "new"); }),
        "CreateError: Cannot create file \"" + log + "\". Is a directory");
    EXPECT_EQ(read_bytes(log + "/inside"), "kept");
    EXPECT_EQ(entries_of(folder.path()), std::vector<std::string> { "loki.txt" });
}

TEST_F(ReplaceFileFailure, WhereAFifoHasTheName)
{
    // Opening a FIFO for writing would wait for a reader forever.
    ASSERT_EQ(::mkfifo(log.c_str(), 0644), 0);
    EXPECT_EQ(outcome_of([&] { files::replace_file(log, "new"); }),
        "CreateError: Cannot create file \"" + log + "\". File exists");
    EXPECT_EQ(entries_of(folder.path()), std::vector<std::string> { "loki.txt" });
}

TEST_F(ReplaceFileFailure, OnAFullDisk)
{
    write_bytes(log, old_contents);
    // A file size limit stands in for a full disk: the write stops short of the text.
    const std::string outcome
        = outcome_in_child([&] { files::replace_file(log, std::string(100, 'x')); }, false,
            [] {
                ::signal(SIGXFSZ, SIG_IGN);
                const rlimit limit { 10, 10 };
                ::setrlimit(RLIMIT_FSIZE, &limit);
            });
    EXPECT_EQ(outcome, "WriteError: Stream write error");
    expect_untouched();
}

TEST_F(ReplaceFileFailure, OfAnEmptyOrFolderPath)
{
    EXPECT_TRUE(outcome_of([] { files::replace_file("", "x"); }).starts_with("CreateError: "));
    EXPECT_EQ(outcome_of([&] { files::replace_file(folder.path() + "/", "x"); }),
        "CreateError: Cannot create file \"" + folder.path() + "/\". Is a directory");
    EXPECT_TRUE(entries_of(folder.path()).empty());
}

} // namespace
