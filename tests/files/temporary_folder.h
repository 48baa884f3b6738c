#pragma once

#include <algorithm>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <ftw.h>
#include <iterator>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <vector>

// A fresh folder under /tmp, removed with everything in it when the test ends. It is made 0755
// so that a child process that has dropped to another user can still reach what lies in it.
class TemporaryFolder {
public:
    TemporaryFolder()
    {
        std::string pattern = "/tmp/siirtolux-files-XXXXXX";
        if (!::mkdtemp(pattern.data()) || ::chmod(pattern.c_str(), 0755) != 0)
            throw std::runtime_error("cannot make a temporary folder");
        m_path = pattern;
    }
    ~TemporaryFolder()
    {
        // Folders a test left unwritable are opened up first, so that their entries can go; then
        // everything is removed depth first, never following a link.
        ::nftw(
            m_path.c_str(),
            [](const char* path, const struct stat*, int kind, FTW*) {
                if (kind == FTW_D)
                    ::chmod(path, 0755);
                return 0;
            },
            16, FTW_PHYS);
        ::nftw(
            m_path.c_str(),
            [](const char* path, const struct stat*, int, FTW*) { return ::remove(path), 0; }, 16,
            FTW_DEPTH | FTW_PHYS);
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    const std::string& path() const { return m_path; }
    std::string operator/(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

inline void make_folder(const std::string& path)
{
    if (::mkdir(path.c_str(), 0755) != 0)
        throw std::runtime_error("cannot make " + path);
}

inline void write_bytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

inline std::string read_bytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The names in `folder`, sorted ("." and ".." left out); none when it cannot be read.
inline std::vector<std::string> folder_entries(const std::string& folder)
{
    std::vector<std::string> names;
    if (DIR* d = ::opendir(folder.c_str())) {
        while (const dirent* e = ::readdir(d))
            if (std::string(e->d_name) != "." && std::string(e->d_name) != "..")
                names.push_back(e->d_name);
        ::closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}
