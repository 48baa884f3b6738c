#include "shell/shell_operations.h"

#include "platform/fileops/shell_api.h"

#include <new>

namespace shell {

namespace {
    bool g_fail_allocation = false;

    fileops::SHFILEOPSTRUCTA zeroed_record()
    {
        fileops::SHFILEOPSTRUCTA record;
        std::memset(&record, 0, sizeof record);
        return record;
    }
} // namespace

void fail_allocation_for_tests(bool fail) { g_fail_allocation = fail; }

std::string path_list(const std::string& text)
{
    try {
        if (g_fail_allocation)
            throw std::bad_alloc();
        std::string list = text;
        // One NUL ends the path and one more ends the list.
        list.push_back('\0');
        list.push_back('\0');
        return list;
    } catch (const std::bad_alloc&) {
        throw OutOfMemory();
    }
}

Outcome ShellCopy(const std::string& source, const std::string& destination)
{
    using namespace fileops;
    SHFILEOPSTRUCTA record = zeroed_record();
    set_field<std::uint32_t>(record, offsetof(SHFILEOPSTRUCTA, wFunc), FO_COPY);
    set_field<std::uint16_t>(record, offsetof(SHFILEOPSTRUCTA, fFlags), FOF_FILESONLY);
    RequestLists lists { path_list(source), path_list(destination) };
    set_field<std::uint32_t>(record, offsetof(SHFILEOPSTRUCTA, pFrom), from_list_handle);
    set_field<std::uint32_t>(record, offsetof(SHFILEOPSTRUCTA, pTo), to_list_handle);

    Outcome outcome;
    outcome.result = SHFileOperationA(&record, lists);
    outcome.aborted = get_field<std::int32_t>(record, offsetof(SHFILEOPSTRUCTA, fAnyOperationsAborted)) != 0;
    return outcome;
}

void ShellDelete(const std::string& path)
{
    using namespace fileops;
    SHFILEOPSTRUCTA record = zeroed_record();
    set_field<std::uint32_t>(record, offsetof(SHFILEOPSTRUCTA, wFunc), FO_DELETE);
    set_field<std::uint16_t>(record, offsetof(SHFILEOPSTRUCTA, fFlags), FOF_SILENT | FOF_NOCONFIRMATION);
    RequestLists lists { path_list(path), std::nullopt };
    set_field<std::uint32_t>(record, offsetof(SHFILEOPSTRUCTA, pFrom), from_list_handle);
    // The outcome of a delete is not looked at: the service's own error window is the report.
    SHFileOperationA(&record, lists);
}

} // namespace shell
