#include "platform/files/errors.h"
#include "platform/files/executable.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <stdexcept>
#include <sys/stat.h>

namespace {

TEST(ExecutablePath, NamesTheRunningProgram)
{
    const std::string path = files::executable_path();
    struct stat reported { };
    struct stat running { };
    ASSERT_EQ(::stat(path.c_str(), &reported), 0);
    ASSERT_EQ(::stat("/proc/self/exe", &running), 0);
    EXPECT_EQ(reported.st_ino, running.st_ino);

    const std::string folder = files::executable_folder();
    EXPECT_EQ(folder.back(), '/');
    EXPECT_EQ(path.substr(0, folder.size()), folder);
    EXPECT_EQ(path.find('/', folder.size()), std::string::npos); // up to the last '/'
}

TEST(ExecutableFolder, CanBeOverriddenByTests)
{
    const std::string real = files::executable_folder();
    files::set_executable_folder_for_tests("/tmp/oma kansio/");
    EXPECT_EQ(files::executable_folder(), "/tmp/oma kansio/");
    EXPECT_EQ(files::executable_path().substr(0, real.size()), real); // the path stays real

    // A folder that does not end in '/' would make "loki.txt" a sibling: refused, old kept.
    EXPECT_THROW(files::set_executable_folder_for_tests("/tmp/x"), std::invalid_argument);
    EXPECT_THROW(files::set_executable_folder_for_tests(""), std::invalid_argument);
    EXPECT_EQ(files::executable_folder(), "/tmp/oma kansio/");

    files::set_executable_folder_for_tests(std::nullopt);
    EXPECT_EQ(files::executable_folder(), real);
}

TEST(ErrorText, IsTheSystemsReasonTrimmed)
{
    EXPECT_EQ(files::system_error_text(EACCES), "Permission denied");
    EXPECT_EQ(files::system_error_text(ENOSPC), "No space left on device");
    EXPECT_EQ(files::system_error_text(123456), "Unknown error 123456");

    struct Case {
        const char* text;
        const char* trimmed;
    };
    // clang-format off
    const Case cases[] = {
        { "Access is denied.\r\n", "Access is denied" }, // full stop and line break
        { "Disk full . .  \n\n",   "Disk full" },        // mixed runs
        { "Version 1.0 failed",    "Version 1.0 failed" }, // inner full stops stay
        { "\tTabbed\t",            "\tTabbed" },         // only the end is trimmed
        { "...",                   "" },                 // nothing but stops
        { "",                      "" },
    };
    // clang-format on
    for (const auto& row : cases) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(files::trim_reason(row.text), row.trimmed);
    }
}

TEST(Errors, ReadAsTheUserSeesThem)
{
    const files::CreateError create("/full/path/loki.txt", EACCES);
    EXPECT_STREQ(create.what(), "Cannot create file \"/full/path/loki.txt\". Permission denied");
    EXPECT_EQ(create.code(), EACCES);

    const files::SystemError system("Cannot read folder", "/srv/x", ENOENT);
    EXPECT_STREQ(system.what(), "Cannot read folder \"/srv/x\". No such file or directory");
    EXPECT_EQ(system.code(), ENOENT);

    EXPECT_STREQ(files::WriteError("/x", ENOSPC).what(), "Stream write error");
}

} // namespace
