#pragma once

#include "platform/files/drives.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace fileops {

// A user's answer to one of the copy's questions.
enum class Answer { Yes, YesToAll, No, Cancel };

// How far a copy has come, written by the copy's threads and read by whoever shows it.
class CopyProgress {
public:
    std::atomic<std::uint64_t> bytes_done { 0 };
    // The bytes of every file to copy, counted beside the copy; 0 until the count is done.
    std::atomic<std::uint64_t> bytes_total { 0 };

    void set_item(const std::string& shown);
    std::string item() const;

private:
    mutable std::mutex m_mutex;
    std::string m_item;
};

// What the copy needs from its caller: the answers to its questions, a place for its error
// reports, and the caller's loop while it waits for its workers. Called on the calling thread
// only, except `wake`.
class CopyHost {
public:
    virtual ~CopyHost() = default;
    // The destination folder does not exist: create it (Yes) or not (Cancel)?
    virtual Answer ask_create_folder(const std::string& shown) = 0;
    // An item of the same name is at the destination.
    virtual Answer ask_replace_file(const std::string& shown) = 0;
    virtual Answer ask_merge_folder(const std::string& shown) = 0;
    virtual void report_error(const std::string& text) = 0;
    // Handles what is pending in the caller's loop, without waiting.
    virtual void poll() = 0;
    // Waits in the caller's loop until something happens: a call of `wake`, input, a timer.
    virtual void wait() = 0;
    // Any thread: ends a wait.
    virtual void wake() = 0;
    // The user (or the end of the session) broke the copy off.
    virtual bool cancelled() = 0;
};

struct CopyRequest {
    std::vector<std::string> sources; // as typed; a wildcard in the last component
    std::string destination; // as typed: the one folder every source goes into
    bool files_only = false; // a wildcard copies matching files only, never matching folders
    bool confirm_create = true; // ask before creating the destination folder
    bool confirm_replace = true; // ask before replacing a file or merging into a folder
    int threads = 0; // worker threads; 0: chosen by the machine
};

struct CopyOutcome {
    int result = 0; // 0: no item failed; else the system's error number of the first failure
    bool aborted = false; // broken off by the host (Cancel, or cancelled())
};

// Copies the request's sources into its destination folder: a file goes into it, a folder as
// a sub-folder of its own name with everything below it. Questions and error reports go to
// `host` in one fixed order; worker threads move the data. Returns once every worker has
// stopped; no temporary file is left behind, and no file under its final name is incomplete.
CopyOutcome run_copy(const CopyRequest& request, const files::DriveTable& drives,
    const std::string& working_folder, CopyHost& host, CopyProgress& progress);

} // namespace fileops
