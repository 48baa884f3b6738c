// The copy engine when the machine fails it: a target file system that fills up, and a copying
// process killed in the middle of a file. Whatever happens, no file under its final name may be
// incomplete and no file the copy was to replace may be damaged.
#include "platform/fileops/copy_engine.h"
#include "platform/fileops/windowless_host.h"
#include "platform/fileops/copy_workers.h"
#include "platform/fileops/file_copy.h"
#include "tests/child_process.h"
#include "tests/files/temporary_folder.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <mutex>
#include <poll.h>
#include <sched.h>
#include <sstream>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

constexpr std::size_t KiB = 1024;
constexpr std::size_t MiB = 1024 * KiB;

using Host = fileops::WindowlessHost;

fileops::CopyOutcome copy(const std::string& source, const std::string& destination, Host& host,
    fileops::CopyProgress& progress, int threads = 0)
{
    fileops::CopyRequest request;
    request.sources = { source };
    request.destination = destination;
    request.threads = threads;
    files::DriveTable drives;
    drives.map('Z', "/");
    return fileops::run_copy(request, drives, "/", host, progress);
}

fileops::CopyOutcome copy(const std::string& source, const std::string& destination, Host& host, int threads = 0)
{
    fileops::CopyProgress progress;
    return copy(source, destination, host, progress, threads);
}

// Bytes that differ from one block to the next and from one seed to another, so that a block
// out of place or a file mistaken for another shows.
std::string pattern(std::size_t size, unsigned seed)
{
    std::string s(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        s[i] = static_cast<char>((i * 131 + i / 4093 + seed * 77) & 0xFF);
    return s;
}

void write_pattern_file(const std::string& path, std::size_t size, unsigned seed)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        throw std::runtime_error("cannot make " + path);
    const std::string block = pattern(2 * MiB, seed);
    bool ok = true;
    for (std::size_t done = 0; done < size && ok; done += MiB) {
        const std::size_t n = std::min(MiB, size - done);
        // Each mebibyte starts at another place of the block.
        const std::size_t shift = (done / MiB * 4099) % MiB;
        ok = ::write(fd, block.data() + shift, n) == static_cast<ssize_t>(n);
    }
    if (::close(fd) != 0 || !ok)
        throw std::runtime_error("cannot write " + path);
}

// Whether two files hold the same bytes, read a mebibyte at a time.
bool same_contents(const std::string& a, const std::string& b)
{
    std::ifstream x(a, std::ios::binary);
    std::ifstream y(b, std::ios::binary);
    if (!x || !y)
        return false;
    std::vector<char> p(MiB);
    std::vector<char> q(MiB);
    while (true) {
        x.read(p.data(), static_cast<std::streamsize>(p.size()));
        y.read(q.data(), static_cast<std::streamsize>(q.size()));
        if (x.gcount() != y.gcount() || std::memcmp(p.data(), q.data(), static_cast<std::size_t>(x.gcount())) != 0)
            return false;
        if (x.gcount() == 0)
            return true;
    }
}


std::vector<std::string> without_temporaries(std::vector<std::string> names)
{
    std::erase_if(names, [](const std::string& n) { return fileops::is_temporary_name(n); });
    return names;
}

bool exists(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

std::string joined(const std::vector<std::string>& lines)
{
    std::string text;
    for (const auto& line : lines)
        text += line + "\n---\n";
    return text;
}

void make_parents(const std::string& root, const std::string& relative)
{
    for (std::size_t slash = relative.find('/'); slash != std::string::npos; slash = relative.find('/', slash + 1))
        ::mkdir((root + "/" + relative.substr(0, slash)).c_str(), 0755);
}

// How the target is made to run out of room in a forked child: a small tmpfs of its own, in a
// mount namespace of its own so that nothing leaks out however the child ends; where that is
// not allowed, a file size limit (which fails a file with EFBIG rather than filling a disk).
enum class Limit { Tmpfs, FileSize };

std::string mount_private_tmpfs(const std::string& at, const std::string& options)
{
    if (::unshare(CLONE_NEWNS) != 0)
        return std::string("unshare: ") + std::strerror(errno);
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        return std::string("private mounts: ") + std::strerror(errno);
    if (::mount("siirtolux-test", at.c_str(), "tmpfs", 0, options.c_str()) != 0)
        return std::string("tmpfs: ") + std::strerror(errno);
    return "";
}

Limit available_limit()
{
    TemporaryFolder probe;
    make_folder(probe / "mnt");
    const std::string why = run_in_child([&] { return mount_private_tmpfs(probe / "mnt", "size=64k"); }, false);
    if (!why.empty())
        std::printf("no private tmpfs here (%s): the file size limit stands in for a full disk\n", why.c_str());
    return why.empty() ? Limit::Tmpfs : Limit::FileSize;
}

struct SizedFile {
    std::string path; // below the copied folder "Omat"
    std::size_t size;
};

// What the child found at the target after the copy, one line per fact.
struct FullDiskRun {
    std::string failure; // the child could not run the copy
    int result = 0;
    bool aborted = false;
    std::vector<std::string> reports;
    std::map<std::string, std::string> files; // below the target: "whole", "old", or what is wrong
    std::vector<std::string> temporaries;
};

std::string escape(std::string text)
{
    for (std::size_t at = 0; (at = text.find('\n', at)) != std::string::npos; at += 2)
        text.replace(at, 1, "\\n");
    return text;
}

std::string unescape(std::string text)
{
    for (std::size_t at = 0; (at = text.find("\\n", at)) != std::string::npos; ++at)
        text.replace(at, 2, "\n");
    return text;
}

// Runs in the child, whose target file system is small: writes the older copies, copies
// `source` into `target`, and describes every item it then finds there.
std::string copy_onto_small_target(Limit limit, const std::string& mount_options, const std::string& source,
    const std::string& target, const std::vector<SizedFile>& old, int threads)
{
    try {
        if (limit == Limit::Tmpfs) {
            if (const std::string why = mount_private_tmpfs(target, mount_options); !why.empty())
                return "failure " + why + "\n";
        }
        for (const SizedFile& f : old) {
            make_parents(target, "Omat/" + f.path);
            write_bytes(target + "/Omat/" + f.path, pattern(f.size, 2));
        }
        if (limit == Limit::FileSize) {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit fsize { MiB, MiB };
            if (::setrlimit(RLIMIT_FSIZE, &fsize) != 0)
                return std::string("failure setrlimit: ") + std::strerror(errno) + "\n";
        }
        Host host;
        const fileops::CopyOutcome outcome = copy(source, target, host, threads);
        std::ostringstream out;
        out << "result " << outcome.result << "\naborted " << outcome.aborted << "\n";
        for (const std::string& r : host.reports)
            out << "report " << escape(r) << "\n";
        const std::string source_parent = source.substr(0, source.rfind('/'));
        for (const auto& item : std::filesystem::recursive_directory_iterator(target)) {
            const std::string path = item.path().string().substr(target.size() + 1);
            if (fileops::is_temporary_name(item.path().filename().string()))
                out << "temporary " << path << "\n";
            if (!item.is_regular_file() || item.is_symlink())
                continue;
            std::string state;
            if (same_contents(item.path().string(), source_parent + "/" + path))
                state = "whole";
            else {
                const auto was = std::find_if(old.begin(), old.end(), [&](const SizedFile& f) { return "Omat/" + f.path == path; });
                if (was != old.end() && read_bytes(item.path().string()) == pattern(was->size, 2))
                    state = "old";
                else
                    state = "damaged, " + std::to_string(item.file_size()) + " bytes";
            }
            out << "file " << path << "\t" << state << "\n";
        }
        return out.str();
    } catch (const std::exception& e) {
        return std::string("failure ") + e.what() + "\n";
    }
}

FullDiskRun parse_full_disk_run(const std::string& text)
{
    FullDiskRun run;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        const std::string key = line.substr(0, line.find(' '));
        const std::string value = line.substr(std::min(line.size(), key.size() + 1));
        if (key == "failure")
            run.failure = value;
        else if (key == "result")
            run.result = std::stoi(value);
        else if (key == "aborted")
            run.aborted = value == "1";
        else if (key == "report")
            run.reports.push_back(unescape(value));
        else if (key == "temporary")
            run.temporaries.push_back(value);
        else if (key == "file")
            run.files[value.substr(0, value.find('\t'))] = value.substr(value.find('\t') + 1);
    }
    if (text.empty())
        run.failure = "the child said nothing";
    return run;
}

struct FullDiskCase {
    const char* name;
    const char* mount_options; // of the tmpfs
    std::vector<SizedFile> source;
    std::vector<std::string> links; // below "Omat"
    std::vector<SizedFile> old; // older copies already at the target
    int threads;
    std::vector<std::string> arrives; // with one worker: exactly the files that arrive whole
    std::vector<std::string> kept_old; // older copies that cannot be replaced for want of room
};

// Copies the case's folder "Omat" onto a target that runs out of room, and checks what every
// such copy must leave: an error, no incomplete file under its name, every older copy either
// replaced whole or as it was, no temporary file, and on a full disk one report only.
void check_full_target(Limit limit, const FullDiskCase& c)
{
    SCOPED_TRACE(c.name);
    TemporaryFolder root;
    make_folder(root / "Omat");
    for (const SizedFile& f : c.source) {
        make_parents(root / "Omat", f.path);
        write_bytes(root / "Omat/" + f.path, pattern(f.size, 1));
    }
    for (const std::string& l : c.links)
        ASSERT_EQ(::symlink(std::string(300, 'x').c_str(), (root / "Omat/" + l).c_str()), 0);
    make_folder(root / "Varakopiot");

    const FullDiskRun run = parse_full_disk_run(run_in_child(
        [&] { return copy_onto_small_target(limit, c.mount_options, root / "Omat", root / "Varakopiot", c.old, c.threads); },
        false));
    ASSERT_EQ(run.failure, "");

    EXPECT_EQ(run.result, limit == Limit::Tmpfs ? ENOSPC : EFBIG);
    EXPECT_FALSE(run.aborted);
    std::vector<std::string> whole;
    for (const auto& [path, state] : run.files) {
        EXPECT_TRUE(state == "whole" || state == "old") << path << ": " << state;
        if (state == "whole")
            whole.push_back(path);
    }
    for (const SizedFile& f : c.old)
        EXPECT_TRUE(run.files.count("Omat/" + f.path)) << "older copy lost: " << f.path;
    for (const std::string& path : c.kept_old)
        EXPECT_EQ(run.files.count(path) ? run.files.at(path) : "missing", "old") << path;
    EXPECT_EQ(run.temporaries, std::vector<std::string> {});
    if (limit == Limit::Tmpfs) {
        ASSERT_EQ(run.reports.size(), 1u) << joined(run.reports);
        EXPECT_TRUE(run.reports[0].ends_with("Kopiointi lopetetaan.")) << run.reports[0];
        if (!c.arrives.empty()) {
            EXPECT_EQ(whole, c.arrives);
        }
    } else {
        // A file size limit fails each file that is too big; the others arrive.
        EXPECT_FALSE(run.reports.empty());
    }
}

} // namespace

// A source folder bigger than the target file system. The copy stops at the first full-disk
// error with one report; every file that arrived is whole, every older copy it was to replace is
// as it was, and no temporary file is left.
TEST(CopyFaults, FullTargetStopsAtOneReportAndLeavesOnlyWholeFiles)
{
    const Limit limit = available_limit();
    // clang-format off
    const FullDiskCase cases[] = {
        // One worker, files in name order: three fit, the fourth fills the disk, and nothing
        // after it is tried (a half-written fourth must not be linked).
        { "new files, one worker", "size=1m",
          { { "a.bin", 300 * KiB }, { "b.bin", 300 * KiB }, { "c.bin", 300 * KiB }, { "d.bin", 300 * KiB },
            { "e.bin", 300 * KiB }, { "iso.bin", 2 * MiB } },
          {}, {}, 1, { "Omat/a.bin", "Omat/b.bin", "Omat/c.bin" }, {} },
        // Several workers fill the disk at once: only the first full-disk error is reported.
        { "new files in nested folders, several workers", "size=1m",
          { { "a.bin", 300 * KiB }, { "k1/b.bin", 300 * KiB }, { "k1/k2/c.bin", 300 * KiB }, { "k3/d.bin", 300 * KiB },
            { "k3/iso.bin", 2 * MiB }, { "e.bin", 300 * KiB }, { "f.bin", 300 * KiB } },
          {}, {}, 0, {}, {} },
        // The new copies are written beside the old ones: an old copy that cannot be replaced
        // for want of room stays byte for byte.
        { "replacing older copies", "size=1m",
          { { "a.bin", 300 * KiB }, { "iso.bin", 2 * MiB }, { "k1/b.bin", 300 * KiB }, { "c.bin", 300 * KiB },
            { "d.bin", 300 * KiB } },
          {}, { { "a.bin", 100 * KiB }, { "iso.bin", 200 * KiB }, { "k1/b.bin", 50 * KiB } }, 0, {}, { "Omat/iso.bin" } },
    };
    // clang-format on
    for (const FullDiskCase& c : cases)
        check_full_target(limit, c);
}

// A target with no room for one more entry (as a full disk where a folder needs a block of its
// own): the folders and links, which the copy makes itself rather than in its workers, fail for
// the same full disk as the files. That is still one full disk, reported once, and the copy
// stops there instead of reporting every folder and link that follows.
TEST(CopyFaults, FullTargetMetWhileMakingFoldersAndLinksIsReportedOnce)
{
    if (available_limit() != Limit::Tmpfs)
        GTEST_SKIP() << "needs a private tmpfs with few entries";
    check_full_target(Limit::Tmpfs,
        // Three entries: the root, "Omat" and the older "a.bin"; nothing more fits.
        { "no room for another entry", "size=1m,nr_inodes=3",
            { { "a.bin", 10 * KiB }, { "k1/b.bin", 10 * KiB }, { "k2/c.bin", 10 * KiB }, { "k3/d.bin", 10 * KiB } },
            { "l1", "l2" }, { { "a.bin", 5 * KiB } }, 1, {}, { "Omat/a.bin" } });
}

namespace {

// Copies `source` into `destination` in a forked child whose copies stop after their first slice
// of data. Once the child is in the middle of the file, `in_the_middle` runs with its pid, and the
// child is killed with SIGKILL. Returns whether the middle was reached and the child's end.
std::pair<bool, int> copy_killed_in_the_middle(
    const std::string& source, const std::string& destination, const std::function<void(pid_t)>& in_the_middle)
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return { false, 0 };
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(fds[0]);
        fileops::hold_copies_for_tests(true);
        Host host;
        fileops::CopyProgress progress;
        std::thread watcher([&] {
            while (progress.bytes_done.load() == 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            (void)!::write(fds[1], "m", 1);
        });
        copy(source, destination, host, progress);
        // Reached only when the copy ended before any data moved.
        (void)!::write(fds[1], "e", 1);
        ::_exit(1);
    }
    ::close(fds[1]);
    pollfd p { fds[0], POLLIN, 0 };
    char said = 0;
    const bool middle = ::poll(&p, 1, 30'000) == 1 && ::read(fds[0], &said, 1) == 1 && said == 'm';
    if (middle)
        in_the_middle(child);
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ::close(fds[0]);
    return { middle, WIFSIGNALED(status) ? WTERMSIG(status) : 0 };
}

// The sizes of the regular files that process `pid` has open below `folder`.
std::vector<off_t> open_file_sizes(pid_t pid, const std::string& folder)
{
    std::vector<off_t> sizes;
    const std::string fd_folder = "/proc/" + std::to_string(pid) + "/fd";
    for (const std::string& fd : folder_entries(fd_folder)) {
        char link[4096];
        const ssize_t n = ::readlink((fd_folder + "/" + fd).c_str(), link, sizeof link);
        struct stat st {};
        if (n > 0 && std::string(link, static_cast<std::size_t>(n)).starts_with(folder + "/")
            && ::stat((fd_folder + "/" + fd).c_str(), &st) == 0 && S_ISREG(st.st_mode))
            sizes.push_back(st.st_size);
    }
    return sizes;
}

} // namespace

// The process dies between two slices of a large file. No part file appears under its name, an
// older copy it was to replace stays byte for byte, a leftover temporary file is never taken for
// a real file, and the next copy over the leftovers gives the whole file.
TEST(CopyFaults, KilledInTheMiddleOfAFileLeavesNoPartFileUnderItsName)
{
    TemporaryFolder root;
    // Bigger than the first slice of copy_file_range (64 MiB), so that the hold stops the copy
    // with part of the file written.
    constexpr std::size_t size = 100 * MiB;
    make_folder(root / "Omat");
    write_pattern_file(root / "Omat/iso.bin", size, 1);
    const std::string old_copy = "vanha kopio\n" + pattern(4 * KiB, 2);

    struct Case {
        const char* name;
        const char* source; // below root
        const char* file; // where the file arrives, below the target
        bool has_old_copy;
    };
    // clang-format off
    const Case cases[] = {
        { "new file", "Omat/iso.bin", "iso.bin", false },               // written unnamed: nothing to see
        { "replacing an older copy", "Omat/iso.bin", "iso.bin", true }, // written beside it under a temporary name
        { "new file in a folder the copy makes", "Omat", "Omat/iso.bin", false },
    };
    // clang-format on
    int row = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string target = root / ("kohde" + std::to_string(++row));
        const std::string file = target + "/" + c.file;
        const std::string file_folder = file.substr(0, file.rfind('/'));
        make_folder(target);
        if (c.has_old_copy)
            write_bytes(file, old_copy);

        std::vector<off_t> open_sizes;
        const auto [middle, signal] = copy_killed_in_the_middle(root / c.source, target,
            [&](pid_t child) { open_sizes = open_file_sizes(child, target); });
        ASSERT_TRUE(middle) << "the copy never got into the file";
        EXPECT_EQ(signal, SIGKILL);
        // It was killed with part of the file written.
        ASSERT_EQ(open_sizes.size(), 1u);
        EXPECT_GT(open_sizes[0], 0);
        EXPECT_LT(open_sizes[0], static_cast<off_t>(size));

        const std::vector<std::string> left = folder_entries(file_folder);
        std::vector<std::string> temporaries = left;
        std::erase_if(temporaries, [](const std::string& n) { return !fileops::is_temporary_name(n); });
        if (c.has_old_copy) {
            const std::string now = read_bytes(file);
            EXPECT_TRUE(now == old_copy) << "the older copy now holds " << now.size() << " bytes";
            // The temporary file the killed copy was writing stays; nothing else is new.
            EXPECT_EQ(without_temporaries(left), std::vector<std::string> { "iso.bin" });
            EXPECT_EQ(temporaries.size(), 1u);
        } else {
            EXPECT_FALSE(exists(file));
            EXPECT_EQ(left, std::vector<std::string> {});
            // At most the folder the copy made, empty.
            if (file_folder != target) {
                EXPECT_EQ(folder_entries(target), std::vector<std::string> { "Omat" });
            }
        }

        // A copy of the folder holding the leftovers, whole or by wildcard, leaves them out.
        for (const std::string& source : { target, target + "/*" }) {
            if (folder_entries(target).empty())
                break; // nothing to copy, nothing to leave out
            SCOPED_TRACE("copying " + source);
            const std::string other = root / ("toinen" + std::to_string(row) + (source == target ? "" : "-tähti"));
            Host host;
            const fileops::CopyOutcome o = copy(source, other, host);
            EXPECT_EQ(o.result, 0) << joined(host.reports);
            const std::string copied = (source == target ? other + "/kohde" + std::to_string(row) : other)
                + file_folder.substr(target.size());
            EXPECT_EQ(folder_entries(copied), without_temporaries(left));
        }

        // The next copy over the leftovers works and gives the whole file.
        Host host;
        const fileops::CopyOutcome o = copy(root / c.source, target, host);
        EXPECT_EQ(o.result, 0) << joined(host.reports);
        EXPECT_FALSE(o.aborted);
        EXPECT_TRUE(same_contents(file, root / "Omat/iso.bin"));
        std::vector<std::string> now = left;
        if (!std::count(now.begin(), now.end(), "iso.bin"))
            now.push_back("iso.bin");
        std::sort(now.begin(), now.end());
        EXPECT_EQ(folder_entries(file_folder), now); // no new leftover
    }
}

// A folder that a killed copy made has not got the source folder's permission bits yet: they are
// set once its last file is done. The next copy, which succeeds, must still leave the source's
// bits on it, or a crash leaves a backup folder that only its owner can open.
TEST(CopyFaults, FolderOfAKilledCopyEndsWithTheSourceModeAfterTheNextCopy)
{
    TemporaryFolder root;
    make_folder(root / "Omat");
    ::chmod((root / "Omat").c_str(), 0755);
    write_pattern_file(root / "Omat/iso.bin", 100 * MiB, 1);
    make_folder(root / "kohde");
    ASSERT_TRUE(copy_killed_in_the_middle(root / "Omat", root / "kohde", [](pid_t) {}).first);

    Host host;
    EXPECT_EQ(copy(root / "Omat", root / "kohde", host).result, 0) << joined(host.reports);
    EXPECT_TRUE(same_contents(root / "kohde/Omat/iso.bin", root / "Omat/iso.bin"));
    struct stat st {};
    ASSERT_EQ(::stat((root / "kohde/Omat").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0755u) << "mode " << std::oct << (st.st_mode & 07777);
}
