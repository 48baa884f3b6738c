#include "platform/fileops/copy_workers.h"
#include "platform/fileops/service_windows.h"
#include "shell/shell_operations.h"
#include "tests/child_process.h"
#include "tests/files/temporary_folder.h"
#include "tests/toolkit/test_form.h"

#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using toolkit::headless::BoxRecord;

namespace {

// One line per item below `root`: its path, kind, permission bits, modification time and
// contents (a link's target), so that two trees compare as texts.
std::vector<std::string> listing(const std::string& root)
{
    static thread_local std::vector<std::string>* lines;
    static thread_local std::size_t prefix;
    std::vector<std::string> result;
    lines = &result;
    prefix = root.size();
    ::nftw(
        root.c_str(),
        [](const char* path, const struct stat* st, int, FTW* ftw) {
            if (ftw->level == 0)
                return 0;
            std::string line = std::string(path).substr(prefix) + " " + std::to_string(st->st_mode & 07777);
            if (S_ISDIR(st->st_mode))
                line += " folder";
            else if (S_ISLNK(st->st_mode)) {
                char target[4096];
                const ssize_t n = ::readlink(path, target, sizeof target);
                line += " link " + std::string(target, static_cast<std::size_t>(std::max<ssize_t>(n, 0)));
            } else if (S_ISREG(st->st_mode))
                line += " file " + std::to_string(st->st_mtim.tv_sec) + "." + std::to_string(st->st_mtim.tv_nsec) + " " + read_bytes(path);
            else
                line += " special";
            lines->push_back(line);
            return 0;
        },
        16, FTW_PHYS);
    std::sort(result.begin(), result.end());
    return result;
}


bool exists(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

void set_time(const std::string& path, long seconds)
{
    const timespec times[2] = { { seconds, 0 }, { seconds, 123456789 } };
    ::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW);
}

// The program's drive C: is a temporary folder; copies run from a click on a headless window,
// as the program runs them, and the script answers the service's windows.
struct Service {
    TemporaryFolder c;
    testing_forms::App a;
    shell::Outcome outcome;
    bool returned = false;

    Service() { ::setenv("SIIRTOLUX_DRIVE_C", c.path().c_str(), 1); }
    ~Service()
    {
        ::unsetenv("SIIRTOLUX_DRIVE_C");
        fileops::hold_copies_for_tests(false);
    }

    toolkit::headless::Script& script() { return a.script(); }
    std::string operator/(const std::string& name) const { return c / name; }

    // Clicks a button whose handler copies `source` into `destination`; the script then goes on
    // with whatever the test puts into it, answering each window the copy opens.
    void begin(const std::string& source, const std::string& destination)
    {
        a.main->on_click1 = [this, source, destination] {
            outcome = shell::ShellCopy(source, destination);
            returned = true;
        };
        a.script().click("Main", "Button1");
    }
    shell::Outcome finish()
    {
        a.run();
        EXPECT_TRUE(returned);
        return outcome;
    }
    shell::Outcome copy(const std::string& source, const std::string& destination,
        const std::vector<std::string>& answers = {})
    {
        begin(source, destination);
        for (const auto& answer : answers)
            a.script().answer(answer);
        return finish();
    }
    const std::vector<BoxRecord>& boxes() const { return a.backend.boxes(); }
    std::vector<std::string> captions() const
    {
        std::vector<std::string> result;
        for (const auto& b : boxes())
            result.push_back(b.caption);
        return result;
    }
};

void make_tree(const std::string& root)
{
    make_folder(root);
    write_bytes(root + "/a.txt", "alpha");
    make_folder(root + "/sub");
    write_bytes(root + "/sub/b.bin", std::string("\0\1\2\3", 4));
    ::chmod((root + "/sub/b.bin").c_str(), 0744);
    set_time(root + "/a.txt", 1'000'000'000);
    set_time(root + "/sub/b.bin", 1'100'000'000);
    set_time(root + "/sub", 1'200'000'000);
}

} // namespace

// What arrives where, for each kind of source: the destination's listing below it.
TEST(CopyService, EachKindOfSourceArrivesWhereTheUserExpects)
{
    struct Case {
        const char* name;
        std::function<void(Service&)> make;
        std::string source;
        std::string arrives; // what lands in the destination, compared with ...
        std::string from; // ... this folder or file of the source side
        std::vector<std::string> absent;
    };
    const std::vector<Case> cases {
        { "a file", [](Service& s) { make_tree(s / "Omat"); }, "C:\\Omat\\a.txt", "a.txt", "Omat/a.txt", {} },
        { "a folder arrives as a sub-folder", [](Service& s) { make_tree(s / "Omat"); }, "C:\\Omat", "Omat", "Omat", {} },
        { "a folder with a case-insensitive name", [](Service& s) { make_tree(s / "Omat"); }, "c:/OMAT", "Omat", "Omat", {} },
        { "a wildcard copies matching files only",
            [](Service& s) {
                make_tree(s / "Omat");
                make_folder(s / "Omat/kansio.txt");
                write_bytes(s / "Omat/b.TXT", "bee");
                write_bytes(s / "Omat/c.doc", "sea");
            },
            "C:\\Omat\\*.txt", "", "", { "kansio.txt", "c.doc", "sub" } },
        { "names with ä, blanks and bytes that are not UTF-8",
            [](Service& s) {
                make_folder(s / "Omat tiedostot");
                write_bytes(s / "Omat tiedostot/päivä ja yö.txt", "ä");
                write_bytes(s / "Omat tiedostot/raw\xff\xfe.bin", "x");
                make_folder(s / "Omat tiedostot/ tyhjä alussa ");
                write_bytes(s / "Omat tiedostot/ tyhjä alussa /x", "y");
            },
            "C:\\Omat tiedostot", "Omat tiedostot", "Omat tiedostot", {} },
        { "a link inside the tree is copied as a link",
            [](Service& s) {
                make_tree(s / "Omat");
                make_folder(s / "Muualla");
                write_bytes(s / "Muualla/iso.bin", "outside");
                ::symlink((s / "Muualla").c_str(), (s / "Omat/linkki").c_str());
                ::symlink("puuttuu", (s / "Omat/rikki").c_str());
            },
            "C:\\Omat", "Omat", "Omat", {} },
        { "the typed source a link to a folder: its contents are copied",
            [](Service& s) {
                make_tree(s / "Oikea");
                ::symlink((s / "Oikea").c_str(), (s / "Omat").c_str());
            },
            "C:\\Omat", "Omat", "Oikea", {} },
        { "a temporary file of a killed copy is not taken for a real one",
            [](Service& s) {
                make_tree(s / "Omat");
                write_bytes(s / "Omat/.siirtolux-0123456789ab.tmp", "half");
            },
            "C:\\Omat", "Omat", "", { "Omat/.siirtolux-0123456789ab.tmp" } },
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        Service s;
        k.make(s);
        make_folder(s / "Varakopiot");
        const shell::Outcome o = s.copy(k.source, "C:\\Varakopiot");
        EXPECT_EQ(o.result, 0);
        EXPECT_FALSE(o.aborted);
        EXPECT_TRUE(s.boxes().empty()) << (s.boxes().empty() ? "" : s.boxes()[0].text);
        if (!k.from.empty()) {
            struct stat st {};
            ASSERT_EQ(::stat((s / k.from).c_str(), &st), 0);
            if (S_ISDIR(st.st_mode)) {
                EXPECT_EQ(listing(s / ("Varakopiot/" + k.arrives)), listing(s / k.from));
                struct stat copied {};
                ::stat((s / ("Varakopiot/" + k.arrives)).c_str(), &copied);
                EXPECT_EQ(copied.st_mode, st.st_mode);
            } else {
                EXPECT_EQ(read_bytes(s / ("Varakopiot/" + k.arrives)), read_bytes(s / k.from));
            }
        }
        for (const auto& name : k.absent)
            EXPECT_FALSE(exists(s / ("Varakopiot/" + name))) << name;
    }
}

TEST(CopyService, WildcardCopiesEveryMatchingFileWithItsAttributes)
{
    Service s;
    make_tree(s / "Omat");
    write_bytes(s / "Omat/b.TXT", "bee");
    make_folder(s / "Omat/kansio.txt");
    make_folder(s / "Varakopiot");
    EXPECT_EQ(s.copy("C:\\Omat\\*.txt", "C:\\Varakopiot").result, 0);
    EXPECT_EQ(folder_entries(s / "Varakopiot"), (std::vector<std::string> { "a.txt", "b.TXT" }));
    struct stat source {}, copy {};
    ::stat((s / "Omat/a.txt").c_str(), &source);
    ::stat((s / "Varakopiot/a.txt").c_str(), &copy);
    EXPECT_EQ(copy.st_mtim.tv_sec, source.st_mtim.tv_sec);
    EXPECT_EQ(copy.st_mtim.tv_nsec, source.st_mtim.tv_nsec);
}

TEST(CopyService, MissingDestinationIsCreatedAfterYesAndNothingIsWrittenAfterCancel)
{
    for (const std::string answer : { "Kyllä", "Peruuta" }) {
        SCOPED_TRACE(answer);
        Service s;
        make_tree(s / "Omat tiedostot");
        const shell::Outcome o = s.copy("C:\\Omat tiedostot", "C:\\Uusi\\Varakopiot", { answer });
        ASSERT_EQ(s.boxes().size(), 1u);
        const BoxRecord& question = s.boxes()[0];
        EXPECT_EQ(question.caption, "Vahvista");
        EXPECT_EQ(question.buttons, (std::vector<std::string> { "Kyllä", "Peruuta" }));
        EXPECT_EQ(question.focused, "Kyllä");
        EXPECT_NE(question.text.find("C:\\Uusi\\Varakopiot"), std::string::npos);
        EXPECT_EQ(o.result, 0);
        if (answer == "Kyllä") {
            EXPECT_FALSE(o.aborted);
            EXPECT_EQ(listing(s / "Uusi/Varakopiot/Omat tiedostot"), listing(s / "Omat tiedostot"));
        } else {
            EXPECT_TRUE(o.aborted);
            EXPECT_FALSE(exists(s / "Uusi"));
        }
    }
}

// Requests that cannot be carried out: one error window, a failure, nothing written.
TEST(CopyService, RequestsThatNameNothingOrCannotBeDoneAreReportedAndWriteNothing)
{
    struct Case {
        const char* name;
        std::string source, destination;
        std::string text_has;
    };
    const std::vector<Case> cases {
        { "empty destination text", "C:\\Omat", "", "kohteen nimi on tyhjä" },
        { "empty source text", "", "C:\\Varakopiot", "lähteen nimi on tyhjä" },
        { "missing source", "C:\\Puuttuu", "C:\\Varakopiot", "C:\\Puuttuu" },
        { "wildcard with no match", "C:\\Omat\\*.xyz", "C:\\Varakopiot", "*.xyz" },
        { "unmapped drive", "Q:\\Omat", "C:\\Varakopiot", "Q:\\Omat" },
        { "folder into its own sub-folder", "C:\\Omat", "C:\\Omat\\sub", "itseensä" },
        { "folder into itself", "C:\\Omat", "C:\\Omat", "itseensä" },
        { "folder into a new folder below itself", "C:\\Omat", "C:\\Omat\\sub\\uusi", "itseensä" },
        { "destination is a file", "C:\\Omat\\sub", "C:\\Omat\\a.txt", "ei ole kansio" },
        { "wildcard destination", "C:\\Omat", "C:\\Vara*", "*" },
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        Service s;
        make_tree(s / "Omat");
        const auto before = listing(s.c.path());
        const shell::Outcome o = s.copy(k.source, k.destination, { "OK" });
        EXPECT_NE(o.result, 0);
        EXPECT_FALSE(o.aborted);
        ASSERT_EQ(s.boxes().size(), 1u);
        EXPECT_EQ(s.boxes()[0].caption, "Virhe");
        EXPECT_EQ(s.boxes()[0].buttons, std::vector<std::string> { "OK" });
        EXPECT_EQ(s.boxes()[0].focused, "OK");
        EXPECT_NE(s.boxes()[0].text.find(k.text_has), std::string::npos) << s.boxes()[0].text;
        EXPECT_EQ(listing(s.c.path()), before);
    }
}

// A second copy of a folder into the same destination asks again: first whether to merge into
// the folder, then about each file, in name order.
TEST(CopyService, ExistingItemsAreReplacedOnlyAsTheAnswersSay)
{
    struct Case {
        std::vector<std::string> answers;
        int questions;
        bool a_new, b_new, aborted;
    };
    const std::vector<Case> cases {
        { { "Kyllä", "Kyllä", "Kyllä" }, 3, true, true, false },
        { { "Kyllä", "Kyllä", "Ei" }, 3, true, false, false },
        { { "Kyllä", "Kyllä kaikkiin" }, 2, true, true, false },
        { { "Kyllä kaikkiin" }, 1, true, true, false },
        { { "Ei" }, 1, false, false, false },
        { { "Kyllä", "Peruuta" }, 2, false, false, true },
        { { "Peruuta" }, 1, false, false, true },
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.answers.back() + " after " + std::to_string(k.answers.size() - 1));
        Service s;
        make_folder(s / "Omat");
        write_bytes(s / "Omat/a.txt", "new a");
        write_bytes(s / "Omat/b.txt", "new b");
        make_folder(s / "Varakopiot");
        std::size_t first_boxes = 99;
        int first_result = -1;
        shell::Outcome o;
        s.a.main->on_click1 = [&] {
            first_result = shell::ShellCopy("C:\\Omat", "C:\\Varakopiot").result;
            first_boxes = s.boxes().size();
            write_bytes(s / "Varakopiot/Omat/a.txt", "old a");
            write_bytes(s / "Varakopiot/Omat/b.txt", "old b");
            o = shell::ShellCopy("C:\\Omat", "C:\\Varakopiot");
        };
        s.script().click("Main", "Button1");
        for (const auto& answer : k.answers)
            s.script().answer(answer);
        s.a.run();
        EXPECT_EQ(first_result, 0);
        EXPECT_EQ(first_boxes, 0u);
        ASSERT_EQ(s.boxes().size(), static_cast<std::size_t>(k.questions));
        EXPECT_NE(s.boxes()[0].text.find("kansio \"C:\\Varakopiot\\Omat\""), std::string::npos) << s.boxes()[0].text;
        for (const auto& box : s.boxes()) {
            EXPECT_EQ(box.caption, "Vahvista");
            EXPECT_EQ(box.buttons, (std::vector<std::string> { "Kyllä", "Kyllä kaikkiin", "Ei", "Peruuta" }));
            EXPECT_EQ(box.focused, "Kyllä");
        }
        if (k.questions > 1) {
            EXPECT_NE(s.boxes()[1].text.find("a.txt"), std::string::npos);
        }
        EXPECT_EQ(o.result, 0);
        EXPECT_EQ(o.aborted, k.aborted);
        EXPECT_EQ(read_bytes(s / "Varakopiot/Omat/a.txt"), k.a_new ? "new a" : "old a");
        EXPECT_EQ(read_bytes(s / "Varakopiot/Omat/b.txt"), k.b_new ? "new b" : "old b");
        EXPECT_EQ(folder_entries(s / "Varakopiot/Omat"), (std::vector<std::string> { "a.txt", "b.txt" }));
    }
}

TEST(CopyService, ReplacedLinkIsReplacedItselfAndItsTargetStays)
{
    Service s;
    make_folder(s / "Omat");
    ::symlink("uusi", (s / "Omat/linkki").c_str());
    make_folder(s / "Varakopiot");
    write_bytes(s / "kohde.txt", "target");
    ::symlink((s / "kohde.txt").c_str(), (s / "Varakopiot/linkki").c_str());
    // A match of a wildcard is never followed: the link itself is the item.
    EXPECT_EQ(s.copy("C:\\Omat\\link*", "C:\\Varakopiot", { "Kyllä" }).result, 0);
    EXPECT_EQ(s.captions(), std::vector<std::string> { "Vahvista" });
    char target[64] {};
    ASSERT_GT(::readlink((s / "Varakopiot/linkki").c_str(), target, sizeof target), 0);
    EXPECT_STREQ(target, "uusi");
    EXPECT_EQ(read_bytes(s / "kohde.txt"), "target");
    EXPECT_EQ(folder_entries(s / "Varakopiot"), std::vector<std::string> { "linkki" });
}

TEST(CopyService, SpecialFilesAreReportedAndNeverOpenedAndTheRestIsCopied)
{
    Service s;
    make_tree(s / "Omat");
    ASSERT_EQ(::mkfifo((s / "Omat/putki").c_str(), 0644), 0);
    make_folder(s / "Varakopiot");
    const shell::Outcome o = s.copy("C:\\Omat", "C:\\Varakopiot", { "OK" });
    EXPECT_NE(o.result, 0);
    EXPECT_FALSE(o.aborted);
    ASSERT_EQ(s.captions(), std::vector<std::string> { "Virhe" });
    EXPECT_NE(s.boxes()[0].text.find("C:\\Omat\\putki"), std::string::npos) << s.boxes()[0].text;
    EXPECT_EQ(read_bytes(s / "Varakopiot/Omat/a.txt"), "alpha");
    EXPECT_EQ(read_bytes(s / "Varakopiot/Omat/sub/b.bin"), std::string("\0\1\2\3", 4));
    EXPECT_FALSE(exists(s / "Varakopiot/Omat/putki"));
}

TEST(CopyService, UnreadableFileIsReportedAndTheRestIsCopied)
{
    Service s;
    make_tree(s / "Omat");
    write_bytes(s / "Omat/salainen", "secret");
    ::chmod((s / "Omat/salainen").c_str(), 0000);
    make_folder(s / "Varakopiot");
    ::chmod((s / "Varakopiot").c_str(), 0777);
    const std::string report = run_in_child(
        [&] {
            Service child_side; // a fresh application in the child
            ::setenv("SIIRTOLUX_DRIVE_C", s.c.path().c_str(), 1);
            const shell::Outcome o = child_side.copy("C:\\Omat", "C:\\Varakopiot", { "OK" });
            std::string r = std::to_string(o.result != 0) + std::to_string(o.aborted);
            for (const auto& b : child_side.boxes())
                r += "|" + b.caption + ":" + b.text;
            return r;
        },
        true);
    if (report == "cannot become nobody")
        GTEST_SKIP() << "cannot drop to the user nobody here";
    EXPECT_EQ(report.substr(0, 2), "10") << report;
    EXPECT_NE(report.find("|Virhe:"), std::string::npos) << report;
    EXPECT_NE(report.find("C:\\Omat\\salainen"), std::string::npos) << report;
    EXPECT_NE(report.find("Permission denied"), std::string::npos) << report;
    EXPECT_EQ(read_bytes(s / "Varakopiot/Omat/a.txt"), "alpha");
    EXPECT_EQ(read_bytes(s / "Varakopiot/Omat/sub/b.bin"), std::string("\0\1\2\3", 4));
    EXPECT_FALSE(exists(s / "Varakopiot/Omat/salainen"));
}

// A folder that is read-only at the source is copied with everything in it, and gets its
// permission bits only once its contents are in.
TEST(CopyService, ReadOnlyFolderIsFilledBeforeItGetsItsMode)
{
    Service s;
    make_tree(s / "Omat");
    ::chmod((s / "Omat/sub").c_str(), 0555);
    make_folder(s / "Varakopiot");
    ::chmod((s / "Varakopiot").c_str(), 0777);
    const std::string report = run_in_child(
        [&] {
            Service child_side;
            ::setenv("SIIRTOLUX_DRIVE_C", s.c.path().c_str(), 1);
            const shell::Outcome o = child_side.copy("C:\\Omat", "C:\\Varakopiot");
            return std::to_string(o.result) + " " + std::to_string(child_side.boxes().size());
        },
        true);
    if (report == "cannot become nobody")
        GTEST_SKIP() << "cannot drop to the user nobody here";
    EXPECT_EQ(report, "0 0");
    EXPECT_EQ(listing(s / "Varakopiot/Omat"), listing(s / "Omat"));
}

// How each way of ending shows in the outcome.
TEST(CopyService, OutcomeTellsFailureAndBreakingOffApart)
{
    {
        SCOPED_TRACE("an error and then Peruuta at a question");
        Service s;
        make_folder(s / "Omat");
        ASSERT_EQ(::mkfifo((s / "Omat/a-putki").c_str(), 0644), 0);
        write_bytes(s / "Omat/b.txt", "new");
        make_folder(s / "Varakopiot");
        write_bytes(s / "Varakopiot/b.txt", "old");
        const shell::Outcome o = s.copy("C:\\Omat\\*", "C:\\Varakopiot", { "OK", "Peruuta" });
        EXPECT_EQ(s.captions(), (std::vector<std::string> { "Virhe", "Vahvista" }));
        EXPECT_NE(o.result, 0);
        EXPECT_TRUE(o.aborted);
        EXPECT_EQ(read_bytes(s / "Varakopiot/b.txt"), "old");
    }
}

// A large file held in the middle of its copy: the progress window opens after half a second,
// and "Peruuta" in it, or the end of the session, breaks the copy off and leaves nothing.
TEST(CopyService, BreakingOffInTheMiddleOfAFileLeavesNothingBehind)
{
    for (const std::string how : { "Peruuta", "SIGTERM" }) {
        SCOPED_TRACE(how);
        Service s;
        make_folder(s / "Omat");
        write_bytes(s / "Omat/iso.bin", std::string(70u << 20, 'x'));
        make_folder(s / "Varakopiot");
        write_bytes(s / "Varakopiot/iso.bin", "the old copy");
        fileops::hold_copies_for_tests(true);
        bool progress_seen = false;
        s.begin("C:\\Omat\\iso.bin", "C:\\Varakopiot");
        s.script().answer("Kyllä").call([&] {
            toolkit::TForm* window = s.a.app->find_form(fileops::ServiceWindows::progress_window_name);
            progress_seen = window && window->Visible();
            if (window) {
                EXPECT_EQ(window->Caption(), "Kopioidaan");
                EXPECT_EQ(window->ActiveControl()->Text(), "Peruuta");
                EXPECT_FALSE(s.a.main->Enabled());
            }
        });
        if (how == "Peruuta")
            s.script().click(fileops::ServiceWindows::progress_window_name, fileops::ServiceWindows::cancel_button_name);
        else
            s.script().sigterm();
        const shell::Outcome o = s.finish();
        EXPECT_TRUE(progress_seen);
        EXPECT_TRUE(o.aborted);
        EXPECT_EQ(o.result, 0);
        EXPECT_EQ(folder_entries(s / "Varakopiot"), std::vector<std::string> { "iso.bin" });
        EXPECT_EQ(read_bytes(s / "Varakopiot/iso.bin"), "the old copy");
        EXPECT_EQ(s.a.app->find_form(fileops::ServiceWindows::progress_window_name), nullptr);
        EXPECT_TRUE(s.a.main->Enabled());
    }
}

TEST(CopyService, ProgramWindowsTakeNoInputButKeepTickingWhileTheCopyWaits)
{
    Service s;
    make_folder(s / "Omat");
    write_bytes(s / "Omat/iso.bin", std::string(70u << 20, 'x'));
    make_folder(s / "Varakopiot");
    int ticks = 0;
    s.a.main->on_tick = [&] { ++ticks; };
    int clicks = 0;
    s.a.main->on_click2 = [&] { ++clicks; };
    fileops::hold_copies_for_tests(true);
    s.begin("C:\\Omat\\iso.bin", "C:\\Varakopiot");
    // Taken once the progress window is up (a window of the copy's own).
    s.script().click("Main", "Button2").pass(1200).call([&] { fileops::hold_copies_for_tests(false); });
    const shell::Outcome o = s.finish();
    EXPECT_TRUE(o.succeeded());
    EXPECT_EQ(clicks, 0);
    EXPECT_GE(ticks, 2);
    EXPECT_EQ(read_bytes(s / "Varakopiot/iso.bin").size(), 70u << 20);
}

// The delete shows no window of its own unless something goes wrong; a request naming nothing
// does nothing at all.
TEST(DeleteService, OnlyAnErrorBringsUpAWindow)
{
    struct Case {
        const char* name;
        std::string path;
        bool error;
        std::vector<std::string> gone, kept;
    };
    const std::vector<Case> cases {
        { "a folder with everything in it", "C:\\Omat", false, { "Omat" }, { "Muut/x.txt" } },
        { "a wildcard", "C:\\Muut\\*.txt", false, { "Muut/x.txt" }, { "Omat/a.txt", "Muut" } },
        { "a missing path", "C:\\Puuttuu", true, {}, { "Omat/a.txt", "Muut/x.txt" } },
        { "the drive root is refused", "C:\\", true, {}, { "Omat/a.txt", "Muut/x.txt" } },
        { "a wildcard in the drive root is refused", "C:\\*", true, {}, { "Omat/a.txt", "Muut/x.txt" } },
        { "an empty text names nothing", "", false, {}, { "Omat/a.txt", "Muut/x.txt" } },
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        Service s;
        make_tree(s / "Omat");
        make_folder(s / "Muut");
        write_bytes(s / "Muut/x.txt", "x");
        s.a.main->on_click1 = [&] { shell::ShellDelete(k.path); };
        s.script().click("Main", "Button1");
        if (k.error)
            s.script().answer("OK");
        s.a.run();
        if (k.error) {
            ASSERT_EQ(s.boxes().size(), 1u);
            EXPECT_EQ(s.boxes()[0].caption, "Virhe");
            EXPECT_EQ(s.boxes()[0].buttons, std::vector<std::string> { "OK" });
            EXPECT_EQ(s.boxes()[0].focused, "OK");
        } else {
            EXPECT_TRUE(s.boxes().empty()) << s.boxes()[0].text;
        }
        for (const auto& name : k.gone)
            EXPECT_FALSE(exists(s / name)) << name;
        for (const auto& name : k.kept)
            EXPECT_TRUE(exists(s / name)) << name;
    }
}

// The tree changes while the copy stands at a question: a file listed before is now a FIFO and
// another has gone. Both are reported, neither is trusted, the rest arrives.
TEST(CopyService, SourceThatChangesOrVanishesDuringTheCopyIsReported)
{
    Service s;
    make_folder(s / "Omat");
    write_bytes(s / "Omat/a.txt", "a");
    write_bytes(s / "Omat/b.txt", "b");
    write_bytes(s / "Omat/c.txt", "c");
    make_folder(s / "Varakopiot");
    make_folder(s / "Varakopiot/Omat");
    s.begin("C:\\Omat", "C:\\Varakopiot");
    s.script()
        .call([&] {
            ASSERT_EQ(s.captions(), std::vector<std::string> { "Vahvista" }); // merge into the folder?
            ::unlink((s / "Omat/b.txt").c_str());
            ::mkfifo((s / "Omat/b.txt").c_str(), 0644);
            ::unlink((s / "Omat/c.txt").c_str());
        })
        .answer("Kyllä")
        .answer("OK")
        .answer("OK");
    const shell::Outcome o = s.finish();
    EXPECT_NE(o.result, 0);
    EXPECT_FALSE(o.aborted);
    std::string reports;
    for (std::size_t i = 1; i < s.boxes().size(); ++i)
        reports += s.boxes()[i].caption + ": " + s.boxes()[i].text + "\n";
    EXPECT_EQ(s.captions(), (std::vector<std::string> { "Vahvista", "Virhe", "Virhe" })) << reports;
    EXPECT_NE(reports.find("\"C:\\Omat\\b.txt\" muuttui"), std::string::npos) << reports;
    EXPECT_NE(reports.find("C:\\Omat\\c.txt"), std::string::npos) << reports;
    EXPECT_EQ(folder_entries(s / "Varakopiot/Omat"), std::vector<std::string> { "a.txt" });
}
