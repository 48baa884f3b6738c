#include "platform/fileops/copy_workers.h"

#include "platform/fileops/copy_texts.h"
#include "platform/fileops/file_copy.h"
#include "platform/files/errors.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <utility>

namespace fileops {

namespace {
    std::atomic<bool> g_hold { false };
} // namespace

void hold_copies_for_tests(bool hold) { g_hold.store(hold); }

TargetFolder::~TargetFolder()
{
    if (!created || fd.get() < 0)
        return;
    // Best effort: the data is there whatever becomes of the folder's own attributes.
    (void)::futimens(fd.get(), times);
    (void)::fchmod(fd.get(), mode);
}

CopyWorkers::CopyWorkers(int threads, CopyProgress& progress, std::function<void()> wake)
    : m_progress(progress)
    , m_wake(std::move(wake))
{
    for (int i = 0; i < threads; ++i)
        m_threads.emplace_back([this] { run(); });
}

CopyWorkers::~CopyWorkers()
{
    stop();
    join();
}

bool CopyWorkers::has_room() const
{
    std::lock_guard lock(m_mutex);
    return m_jobs.size() < copy_queue_capacity;
}

void CopyWorkers::push(std::unique_ptr<CopyJob> job)
{
    {
        std::lock_guard lock(m_mutex);
        m_jobs.push_back(std::move(job));
    }
    m_ready.notify_one();
}

bool CopyWorkers::idle() const
{
    std::lock_guard lock(m_mutex);
    return m_jobs.empty() && m_running == 0;
}

std::vector<WorkerError> CopyWorkers::take_errors()
{
    std::lock_guard lock(m_mutex);
    return std::exchange(m_errors, {});
}

void CopyWorkers::stop()
{
    m_stop.store(true);
    std::deque<std::unique_ptr<CopyJob>> dropped;
    {
        std::lock_guard lock(m_mutex);
        dropped.swap(m_jobs);
        m_closing = true;
    }
    m_ready.notify_all();
}

void CopyWorkers::join()
{
    {
        std::lock_guard lock(m_mutex);
        m_closing = true;
    }
    m_ready.notify_all();
    for (auto& t : m_threads)
        if (t.joinable())
            t.join();
    m_threads.clear();
}

void CopyWorkers::changed()
{
    if (m_want_wake.exchange(false))
        m_wake();
}

void CopyWorkers::run()
{
    while (true) {
        std::unique_ptr<CopyJob> job;
        {
            std::unique_lock lock(m_mutex);
            m_ready.wait(lock, [&] { return !m_jobs.empty() || m_closing; });
            if (m_jobs.empty())
                return;
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
            ++m_running;
        }
        if (!m_stop.load() && !m_disk_full.load())
            copy(*job);
        // The job goes (closing its files, perhaps finishing its folder) before it counts as done.
        job.reset();
        {
            std::lock_guard lock(m_mutex);
            --m_running;
        }
        changed();
    }
}

void CopyWorkers::report(WorkerError error)
{
    {
        std::lock_guard lock(m_mutex);
        m_errors.push_back(std::move(error));
    }
    // The caller hears of every error, waiting or not.
    m_want_wake.store(false);
    m_wake();
}

void CopyWorkers::copy(CopyJob& job)
{
    m_progress.set_item(job.shown);
    if (!job.looked && (::fstat(job.source.get(), &job.st) != 0 || !S_ISREG(job.st.st_mode))) {
        // Swapped for something else since the folder was read.
        report({ texts::changed(job.source_shown), ESTALE });
        return;
    }
    const std::pair<dev_t, dev_t> devices { job.st.st_dev, job.folder->device };
    bool try_clone;
    {
        std::lock_guard lock(m_mutex);
        try_clone = std::find(m_no_clone.begin(), m_no_clone.end(), devices) == m_no_clone.end();
    }
    try {
        copy_opened_file(job.source.get(), job.st, job.folder->fd.get(), job.name, job.replace,
            [this](std::uint64_t bytes) {
                m_progress.bytes_done.fetch_add(bytes, std::memory_order_relaxed);
                while (g_hold.load() && !m_stop.load())
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                return !m_stop.load(std::memory_order_relaxed);
            },
            try_clone);
        if (try_clone && last_clone_refused()) {
            std::lock_guard lock(m_mutex);
            m_no_clone.push_back(devices);
        }
    } catch (const files::SystemError& e) {
        const int code = e.code();
        const bool full = code == ENOSPC || code == EDQUOT;
        // After the first report of a full disk, the jobs that follow fail silently.
        if (full && !claim_disk_full())
            return;
        report({ full ? texts::disk_full(job.shown, code) : texts::cannot_copy(job.shown, code), code });
    }
}

} // namespace fileops
