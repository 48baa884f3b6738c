#pragma once

#include "platform/fileops/copy_engine.h"
#include "platform/files/descriptor.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <vector>

namespace fileops {

// A folder the copy writes into. One the copy created gets the source folder's permission bits
// and modification time when the last job in it is done (when this goes), since every entry
// made in it changes its time and a read-only mode would keep the copy out.
struct TargetFolder {
    files::Descriptor fd;
    dev_t device = 0;
    bool created = false;
    mode_t mode = 0;
    timespec times[2] {};
    explicit TargetFolder(int descriptor)
        : fd(descriptor)
    {
        struct stat st {};
        if (::fstat(descriptor, &st) == 0)
            device = st.st_dev;
    }
    ~TargetFolder();
    TargetFolder(const TargetFolder&) = delete;
    TargetFolder& operator=(const TargetFolder&) = delete;
};

// One file to copy: its source already open (so that it cannot be swapped meanwhile).
struct CopyJob {
    files::Descriptor source;
    struct stat st {};
    bool looked = false; // `st` holds the source's fstat; else the worker takes it
    std::shared_ptr<TargetFolder> folder;
    std::string name;
    bool replace = false;
    std::string shown; // the target as the user knows it, for the progress window and errors
    std::string source_shown;
};

struct WorkerError {
    std::string text;
    int code = 0;
};

// Threads that copy the jobs they are given. `wake` is called from a worker whenever the
// caller may have something to do: an error, room in the queue, the queue done.
class CopyWorkers {
public:
    CopyWorkers(int threads, CopyProgress& progress, std::function<void()> wake);
    ~CopyWorkers(); // stops and joins
    CopyWorkers(const CopyWorkers&) = delete;
    CopyWorkers& operator=(const CopyWorkers&) = delete;

    bool has_room() const;
    void push(std::unique_ptr<CopyJob> job);
    // No job queued or running.
    bool idle() const;
    std::vector<WorkerError> take_errors();
    // The target file system is full: the jobs still queued are dropped.
    bool disk_full() const { return m_disk_full.load(); }
    // Marks the target full; true for the first to find it so, who reports it.
    bool claim_disk_full() { return !m_disk_full.exchange(true); }
    // The caller is about to wait: the next change of state wakes it.
    void want_wake() { m_want_wake.store(true); }
    // Breaks off: queued jobs are dropped, running ones stop within a moment.
    void stop();
    // Waits for the threads to end (after stop(), or once idle()).
    void join();

private:
    void run();
    void copy(CopyJob& job);
    void report(WorkerError error);
    void changed();

    CopyProgress& m_progress;
    std::function<void()> m_wake;
    mutable std::mutex m_mutex;
    std::condition_variable m_ready;
    std::deque<std::unique_ptr<CopyJob>> m_jobs;
    std::vector<WorkerError> m_errors;
    int m_running = 0;
    bool m_closing = false;
    std::atomic<bool> m_stop { false };
    std::atomic<bool> m_disk_full { false };
    std::atomic<bool> m_want_wake { false };
    std::vector<std::thread> m_threads;
    // Pairs of file systems (source, target) between which a clone was refused.
    std::vector<std::pair<dev_t, dev_t>> m_no_clone;
};

// Tests only: while held, every copy stops after its first slice of data and waits there (for
// the hold to end or the copy to be broken off), so that a test can act in the middle of a file.
void hold_copies_for_tests(bool hold);

// Jobs queued at most: each holds an open file.
inline constexpr std::size_t copy_queue_capacity = 128;

} // namespace fileops
