#pragma once

#include <stdexcept>
#include <string>

namespace shell {

// What the file-operation service reported for a copy.
struct Outcome {
    int result = 0; // 0: every item succeeded
    bool aborted = false; // the user (or the end of the session) broke the operation off
    bool succeeded() const { return result == 0 && !aborted; }
};

// Hands a copy request to the file-operation service and waits until it is done: `source` (a
// file, a folder or a wildcard in the last component) goes into the folder `destination`. Both
// texts are passed exactly as given. Throws OutOfMemory when the path lists cannot be built;
// nothing is then handed over.
Outcome ShellCopy(const std::string& source, const std::string& destination);

// Hands a permanent delete request for `path` to the service, with no progress display and no
// question, and waits until it is done. Throws OutOfMemory as ShellCopy.
void ShellDelete(const std::string& path);

class OutOfMemory : public std::runtime_error {
public:
    OutOfMemory()
        : std::runtime_error("Out of memory")
    {
    }
};

// A path list: the text unchanged, then two NUL characters.
std::string path_list(const std::string& text);

// Tests only: building the next path lists fails as if memory were exhausted.
void fail_allocation_for_tests(bool fail);

} // namespace shell
