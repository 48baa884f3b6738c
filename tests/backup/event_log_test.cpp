#include "backup/event_log.h"
#include "platform/files/errors.h"
#include "platform/files/executable.h"
#include "platform/toolkit/errors.h"
#include "tests/child_process.h"
#include "tests/files/temporary_folder.h"

#include <csignal>
#include <grp.h>
#include <functional>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace backup;

namespace {

const std::string initial_line = "Odotan kopiointi käskyä...";

// The log of a fresh start: the list with its initial line.
toolkit::TListBox fresh_log()
{
    toolkit::TListBox log;
    log.add_line(initial_line);
    return log;
}

// Points the program's folder at a temporary folder for the length of a test.
struct ProgramFolder {
    TemporaryFolder folder;
    ProgramFolder() { files::set_executable_folder_for_tests(folder.path() + "/"); }
    ~ProgramFolder() { files::set_executable_folder_for_tests(std::nullopt); }
    std::string log_file() const { return folder / "loki.txt"; }
};

// Runs `save` in a forked child (as `nobody` where asked, or under a file-size limit) and
// returns the message of the error it raised, "" when it raised none.
std::string save_in_child(const std::function<void()>& save, bool as_nobody, rlim_t size_limit = RLIM_INFINITY)
{
    const auto limit_size = [size_limit] {
        if (size_limit == RLIM_INFINITY)
            return;
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit { size_limit, size_limit };
        ::setrlimit(RLIMIT_FSIZE, &limit);
    };
    return run_in_child(
        [&]() -> std::string {
            try {
                save();
            } catch (const std::exception& e) {
                return e.what();
            }
            return "";
        },
        as_nobody, limit_size);
}

} // namespace

TEST(EventLog, LinesHaveTheirExactPrefixes)
{
    // clang-format off
    const struct { std::string line; std::string expected; } cases[] = {
        { scheduled_start_line("9.12.2024 13:05:07"), "Kopiointi alkaa:   9.12.2024 13:05:07" },
        { scheduled_start_line(""),                   "Kopiointi alkaa:   " },   // trailing blanks stay
        { start_line("12/9/24 1:05:07 pm"),           "Kopiointi aloitettu  12/9/24 1:05:07 pm" },
        { route_line("C:\\Omat tiedostot", "C:\\Varakopiot"), "Kopioidaan  C:\\Omat tiedostot C:\\Varakopiot" },
        { route_line("", "C:\\x"),                    "Kopioidaan   C:\\x" },     // three blanks
        { route_line("C:\\x", ""),                    "Kopioidaan  C:\\x " },     // ends in one blank
        { route_line(" a ", " b "),                   "Kopioidaan   a   b " },    // blanks kept, unquoted
        { completion_line("t"),                       "Kopiointi valmis!   t" },
        { aborted_line("t"),                          "Kopiointi keskeytetty!   t" },
        { failed_line("t"),                           "Kopiointi epäonnistui!   t" },
    };
    // clang-format on
    for (const auto& c : cases)
        EXPECT_EQ(c.line, c.expected);
}

TEST(EventLog, SavedFileHoldsEveryLineWithCrLf)
{
    ProgramFolder program;
    // An old file from an earlier run, longer than the new text, is replaced entirely.
    write_bytes(program.log_file(), std::string(5000, 'x'));
    auto log = fresh_log();
    append_line(log, start_line("12/9/24 1:05:07 pm"));
    append_line(log, route_line("C:\\a", "C:\\b"));
    append_line(log, completion_line("12/9/24 1:05:07 pm"));
    save_log(log);
    const std::string first = read_bytes(program.log_file());
    EXPECT_EQ(first,
        initial_line + "\r\n" + "Kopiointi aloitettu  12/9/24 1:05:07 pm\r\n" + "Kopioidaan  C:\\a C:\\b\r\n"
            + "Kopiointi valmis!   12/9/24 1:05:07 pm\r\n");
    EXPECT_EQ(first.substr(0, 30), initial_line + "\r\n"); // 28 bytes of UTF-8, then CR LF
    EXPECT_EQ(initial_line.size(), 28u);

    // A second save rewrites the file with every line so far.
    append_line(log, scheduled_start_line(""));
    save_log(log);
    EXPECT_EQ(read_bytes(program.log_file()), first + "Kopiointi alkaa:   \r\n");
}

TEST(EventLog, AListThatRefusesALineRaisesAndKeepsItsLines)
{
    auto log = fresh_log();
    log.set_capacity_for_tests(1);
    try {
        append_line(log, start_line("t"));
        FAIL() << "no error";
    } catch (const toolkit::ListError& e) {
        EXPECT_STREQ(e.what(), "Unable to insert a line");
    }
    EXPECT_EQ(log.Items(), std::vector<std::string> { initial_line });
}

TEST(EventLog, FailedSavesLeaveThePreviousFileAndTheLines)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "the failure cases drop to the user nobody, which needs root";
    const std::string previous = "edellinen loki\r\n";
    // clang-format off
    const struct { const char* what; std::function<void(const ProgramFolder&)> prepare; bool as_nobody; rlim_t limit; const char* message_start; } cases[] = {
        { "folder not writable", [](const ProgramFolder& p) { ::chmod(p.folder.path().c_str(), 0555); }, true, RLIM_INFINITY, "Cannot create file \"" },
        { "read-only loki.txt",  [](const ProgramFolder& p) { ::chmod(p.folder.path().c_str(), 0777); ::chmod(p.log_file().c_str(), 0444); }, true, RLIM_INFINITY, "Cannot create file \"" },
        { "full disk",           [](const ProgramFolder&) {}, false, 8, "Stream write error" },
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ProgramFolder program;
        write_bytes(program.log_file(), previous);
        c.prepare(program);
        auto log = fresh_log();
        append_line(log, start_line("t"));
        const std::string message = save_in_child([&] { save_log(log); }, c.as_nobody, c.limit);
        EXPECT_EQ(message.rfind(c.message_start, 0), 0u) << message;
        if (std::string(c.message_start) != "Stream write error") {
            EXPECT_EQ(message, "Cannot create file \"" + program.log_file() + "\". Permission denied");
        }
        EXPECT_EQ(log.Items().size(), 2u);
        EXPECT_EQ(read_bytes(program.log_file()), previous);
        ::chmod(program.folder.path().c_str(), 0755);
    }
}
