#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

namespace fileops {

// Adds up, on a thread of its own, the bytes of the regular files at and below `paths` (links
// not followed below them) and stores the sum in `total` once it is known, for a progress bar.
// Stops early when it goes.
class TreeCount {
public:
    TreeCount(std::vector<std::string> paths, std::atomic<std::uint64_t>& total);
    ~TreeCount();
    TreeCount(const TreeCount&) = delete;
    TreeCount& operator=(const TreeCount&) = delete;

private:
    void run();

    std::vector<std::string> m_paths;
    std::atomic<std::uint64_t>& m_total;
    std::atomic<bool> m_stop { false };
    std::thread m_thread;
};

} // namespace fileops
