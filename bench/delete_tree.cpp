// The delete engine's benchmark driver (see delete_tree.sh).
//   delete_tree make <folder> <seed>   makes <folder> with 20,000 files of 1-16 KiB in 200 folders
//                                      three levels deep (4 x 5 x 10)
//   delete_tree delete <folder>        deletes <folder> (an absolute path) as the service does
#include "platform/fileops/delete_tree.h"

#include <cstdio>
#include <random>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

bool make_tree(const std::string& root, unsigned seed)
{
    std::mt19937 random(seed);
    std::uniform_int_distribution<std::size_t> size(1024, 16 * 1024);
    std::vector<char> bytes(16 * 1024);
    for (auto& b : bytes)
        b = static_cast<char>(random());
    if (::mkdir(root.c_str(), 0755) != 0)
        return false;
    for (int a = 0; a < 4; ++a) {
        const std::string first = root + "/osa" + std::to_string(a);
        ::mkdir(first.c_str(), 0755);
        for (int b = 0; b < 5; ++b) {
            const std::string second = first + "/kansio" + std::to_string(b);
            ::mkdir(second.c_str(), 0755);
            for (int c = 0; c < 10; ++c) {
                const std::string third = second + "/alakansio" + std::to_string(c);
                ::mkdir(third.c_str(), 0755);
                for (int f = 0; f < 100; ++f) {
                    const std::string path = third + "/tiedosto" + std::to_string(f) + ".dat";
                    std::FILE* out = std::fopen(path.c_str(), "wb");
                    if (!out)
                        return false;
                    const bool written = std::fwrite(bytes.data(), 1, size(random), out) > 0;
                    if (std::fclose(out) != 0 || !written)
                        return false;
                }
            }
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "make" && argc == 4)
        return make_tree(argv[2], static_cast<unsigned>(std::stoul(argv[3]))) ? 0 : 1;
    if (command == "delete" && argc == 3 && argv[2][0] == '/') {
        files::DriveTable drives;
        drives.map('Z', "/");
        return fileops::delete_typed_path(argv[2], drives, "/",
                   [](const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); })
                == 0
            ? 0
            : 1;
    }
    std::fprintf(stderr, "usage: delete_tree make <folder> <seed> | delete_tree delete <folder>\n");
    return 2;
}
