#pragma once

#include "platform/fileops/copy_engine.h"

#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

namespace fileops {

// A host for a copy run without windows (benchmarks, tests): every question is answered with
// yes, error reports are kept, and waits are on a condition variable.
class WindowlessHost final : public CopyHost {
public:
    Answer ask_create_folder(const std::string&) override { return Answer::Yes; }
    Answer ask_replace_file(const std::string&) override { return Answer::Yes; }
    Answer ask_merge_folder(const std::string&) override { return Answer::Yes; }
    void report_error(const std::string& text) override { reports.push_back(text); }
    void poll() override { }
    void wait() override
    {
        std::unique_lock lock(m_mutex);
        m_woken.wait(lock, [&] { return m_wakes > 0; });
        m_wakes = 0;
    }
    void wake() override
    {
        {
            std::lock_guard lock(m_mutex);
            ++m_wakes;
        }
        m_woken.notify_one();
    }
    bool cancelled() override { return false; }

    std::vector<std::string> reports;

private:
    std::mutex m_mutex;
    std::condition_variable m_woken;
    int m_wakes = 0;
};

} // namespace fileops
