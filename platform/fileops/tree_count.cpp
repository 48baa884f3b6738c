#include "platform/fileops/tree_count.h"

#include <ftw.h>
#include <sys/stat.h>

namespace fileops {

namespace {
    struct Sum {
        std::uint64_t bytes = 0;
        const std::atomic<bool>* stop = nullptr;
    };
    thread_local Sum* g_sum = nullptr;

    int add(const char*, const struct stat* st, int type, FTW*)
    {
        if (type == FTW_F && S_ISREG(st->st_mode))
            g_sum->bytes += static_cast<std::uint64_t>(st->st_size);
        return g_sum->stop->load(std::memory_order_relaxed) ? 1 : 0;
    }
} // namespace

TreeCount::TreeCount(std::vector<std::string> paths, std::atomic<std::uint64_t>& total)
    : m_paths(std::move(paths))
    , m_total(total)
    , m_thread([this] { run(); })
{
}

TreeCount::~TreeCount()
{
    m_stop.store(true);
    m_thread.join();
}

void TreeCount::run()
{
    Sum sum;
    sum.stop = &m_stop;
    g_sum = &sum;
    for (const std::string& path : m_paths) {
        // The typed item itself is followed, as the copy follows it.
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0)
            continue;
        if (S_ISREG(st.st_mode))
            sum.bytes += static_cast<std::uint64_t>(st.st_size);
        else if (S_ISDIR(st.st_mode) && ::nftw((path + "/.").c_str(), add, 16, FTW_PHYS) != 0)
            return;
    }
    m_total.store(sum.bytes);
}

} // namespace fileops
