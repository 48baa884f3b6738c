// The copy engine alone, for the copy benchmark:
//   copy_tree make <folder> <files> <seed>  makes <folder> with <files> files of 1-16 KiB spread
//                                           over 200 folders three levels deep
//   copy_tree big <file> <MiB>             makes one file of random bytes
//   copy_tree copy <source> <folder>       copies <source> into <folder> (which must exist) with
//                                           the engine, answering every question with yes;
//                                           prints the peak resident memory in KiB
#include "platform/fileops/copy_engine.h"
#include "platform/fileops/windowless_host.h"

#include <cstdio>
#include <fcntl.h>
#include <random>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

bool write_random(const std::string& path, std::size_t size, std::mt19937& random)
{
    std::vector<unsigned char> bytes(size);
    for (auto& b : bytes)
        b = static_cast<unsigned char>(random());
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const bool ok = ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    return ::close(fd) == 0 && ok;
}

bool make_tree(const std::string& root, int files, unsigned seed)
{
    std::mt19937 random(seed);
    std::vector<std::string> leaves;
    if (::mkdir(root.c_str(), 0755) != 0)
        return false;
    for (int a = 0; a < 2; ++a) {
        const std::string first = root + "/kansio" + std::to_string(a);
        if (::mkdir(first.c_str(), 0755) != 0)
            return false;
        for (int b = 0; b < 10; ++b) {
            const std::string second = first + "/osa" + std::to_string(b);
            if (::mkdir(second.c_str(), 0755) != 0)
                return false;
            for (int c = 0; c < 10; ++c) {
                leaves.push_back(second + "/lehti" + std::to_string(c));
                if (::mkdir(leaves.back().c_str(), 0755) != 0)
                    return false;
            }
        }
    }
    for (int i = 0; i < files; ++i) {
        const std::size_t size = 1024 + random() % (15 * 1024 + 1);
        if (!write_random(leaves[static_cast<std::size_t>(i) % leaves.size()] + "/tiedosto" + std::to_string(i) + ".dat", size, random))
            return false;
    }
    return true;
}

bool make_big(const std::string& path, long mib)
{
    std::mt19937 random(7);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    std::vector<std::uint32_t> block(1 << 18); // 1 MiB
    bool ok = true;
    for (long i = 0; i < mib && ok; ++i) {
        for (auto& word : block)
            word = random();
        ok = ::write(fd, block.data(), 1 << 20) == (1 << 20);
    }
    return ::close(fd) == 0 && ok;
}


} // namespace

int main(int argc, char** argv)
{
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "make" && argc == 5)
        return make_tree(argv[2], std::stoi(argv[3]), static_cast<unsigned>(std::stoul(argv[4]))) ? 0 : 1;
    if (command == "big" && argc == 4)
        return make_big(argv[2], std::stol(argv[3])) ? 0 : 1;
    if (command == "copy" && (argc == 4 || argc == 5) && argv[2][0] == '/' && argv[3][0] == '/') {
        fileops::CopyRequest request;
        request.sources = { argv[2] };
        request.destination = argv[3];
        request.files_only = true;
        if (argc == 5)
            request.threads = std::stoi(argv[4]);
        fileops::WindowlessHost host;
        fileops::CopyProgress progress;
        files::DriveTable drives;
        drives.map('Z', "/");
        const fileops::CopyOutcome outcome = fileops::run_copy(request, drives, "/", host, progress);
        rusage usage {};
        ::getrusage(RUSAGE_SELF, &usage);
        std::printf("%ld\n", usage.ru_maxrss);
        for (const std::string& report : host.reports)
            std::fprintf(stderr, "%s\n", report.c_str());
        return outcome.result == 0 && !outcome.aborted && host.reports.empty() ? 0 : 1;
    }
    std::fprintf(stderr, "usage: copy_tree make <folder> <files> <seed> | big <file> <MiB> | copy <source> <folder> [threads]\n");
    return 2;
}
