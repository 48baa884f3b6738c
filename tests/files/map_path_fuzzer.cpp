// Feeds arbitrary texts to map_path over a small tree of real folders and checks what must hold
// for every one of them: the mapped path is absolute and normalised, lies in or below the drive
// root it reports, and for a drive letter that root is the drive's own.

#include "platform/files/paths.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ftw.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Tree {
    std::string top;
    files::DriveTable drives;
    std::string working;
};

void remove_tree(const std::string& top)
{
    ::nftw(
        top.c_str(),
        [](const char* path, const struct stat*, int, FTW*) { return ::remove(path), 0; }, 16,
        FTW_DEPTH | FTW_PHYS);
}

const Tree& tree()
{
    static const Tree made = [] {
        Tree t;
        char pattern[] = "/tmp/siirtolux-fuzz-XXXXXX";
        if (!::mkdtemp(pattern))
            std::abort();
        t.top = pattern;
        const auto folder = [&](const std::string& name) { ::mkdir((t.top + name).c_str(), 0755); };
        const auto file = [&](const std::string& name) {
            if (FILE* f = std::fopen((t.top + name).c_str(), "w"))
                std::fclose(f);
        };
        for (const char* name : { "/koti", "/koti/Kansio", "/koti/Kansio/Ala", "/koti/Äänitteet",
                 "/koti/Документы", "/koti/caf\xE9", "/d", "/d/Sub", "/z", "/z/tmp" })
            folder(name);
        for (const char* name :
            { "/koti/Foo", "/koti/FOO", "/koti/Kansio/raportti.txt", "/d/Sub/A" })
            file(name);
        (void)!::symlink("/", (t.top + "/koti/linkki").c_str());
        t.drives.map('C', t.top + "/koti");
        t.drives.map('D', t.top + "/d");
        t.drives.map('Z', t.top + "/z");
        t.working = t.top + "/koti/Kansio";
        // The handler runs after the tree's own destructor, so it keeps a copy of the name.
        static std::string top_copy;
        top_copy = t.top;
        std::atexit([] { remove_tree(top_copy); });
        return t;
    }();
    return made;
}

bool is_normalised_absolute(const std::string& path)
{
    if (path.empty() || path.front() != '/')
        return false;
    if (path == "/")
        return true;
    if (path.back() == '/' || path.find("//") != std::string::npos)
        return false;
    const std::string padded = path + "/";
    return padded.find("/./") == std::string::npos && padded.find("/../") == std::string::npos;
}

bool lies_under(const std::string& path, const std::string& root)
{
    if (root == "/")
        return true;
    return path.compare(0, root.size(), root) == 0
        && (path.size() == root.size() || path[root.size()] == '/');
}

void check(bool holds, const char* what, const std::string& typed)
{
    if (holds)
        return;
    std::fprintf(stderr, "broken: %s for a text of %zu bytes\n", what, typed.size());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const Tree& t = tree();
    const std::string typed(reinterpret_cast<const char*>(data), size);
    const files::MappedPath mapped = files::map_path(typed, t.drives, t.working);

    const bool is_drive_path = typed.size() >= 2
        && ((typed[0] >= 'A' && typed[0] <= 'Z') || (typed[0] >= 'a' && typed[0] <= 'z'))
        && typed[1] == ':';
    const bool names_nothing = typed.empty() || typed.find('\0') != std::string::npos
        || (is_drive_path && !t.drives.root(typed[0]));
    check(mapped.names_nothing() == names_nothing, "names nothing exactly when it should", typed);
    if (names_nothing) {
        check(
            mapped.drive_root.empty() && mapped.pattern.empty(), "nothing else is reported", typed);
        return 0;
    }

    check(is_normalised_absolute(mapped.path), "the path is absolute and normalised", typed);
    check(mapped.path.find('\\') == std::string::npos, "no '\\' is left in the path", typed);
    check(lies_under(mapped.path, mapped.drive_root), "the path lies under its drive root", typed);
    if (is_drive_path)
        check(
            mapped.drive_root == *t.drives.root(typed[0]), "a drive path lies on its drive", typed);
    else if (typed[0] == '/' || typed[0] == '\\')
        check(mapped.drive_root == *t.drives.root('Z'), "a rooted path lies on Z:", typed);
    else
        check(mapped.drive_root == "/", "a relative path lies under /", typed);
    check(mapped.pattern.find_first_of("/\\") == std::string::npos, "the pattern is one component",
        typed);
    check(mapped.pattern.empty() || files::has_wildcard(mapped.pattern), "a pattern has a wildcard",
        typed);

    // The matcher takes any text as pattern or name.
    check(files::wildcard_match("*", typed), "'*' matches everything", typed);
    if (!files::has_wildcard(typed))
        check(files::wildcard_match(typed, typed), "a plain name matches itself", typed);
    if (!mapped.pattern.empty())
        (void)files::wildcard_match(mapped.pattern, typed);
    return 0;
}
