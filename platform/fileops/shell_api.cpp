#include "platform/fileops/shell_api.h"

#include "platform/fileops/copy_engine.h"
#include "platform/fileops/copy_texts.h"
#include "platform/fileops/delete_tree.h"
#include "platform/fileops/service_windows.h"
#include "platform/files/drives.h"
#include "platform/files/errors.h"
#include "platform/files/paths.h"
#include "platform/toolkit/application.h"

#include <cerrno>

namespace fileops {

namespace {
    Service& test_service()
    {
        static Service s;
        return s;
    }

    // The paths of a list: each ended by one NUL, the list by one more (or by its end).
    std::vector<std::string> paths_of(const std::string& list)
    {
        std::vector<std::string> paths;
        std::size_t start = 0;
        while (start < list.size() && list[start] != '\0') {
            const std::size_t end = list.find('\0', start);
            paths.push_back(list.substr(start, end == std::string::npos ? std::string::npos : end - start));
            if (end == std::string::npos)
                break;
            start = end + 1;
        }
        return paths;
    }

    // The flags this service honours; a request with any other is refused as a whole.
    constexpr std::uint16_t known_flags
        = FOF_SILENT | FOF_NOCONFIRMATION | FOF_FILESONLY | FOF_NOCONFIRMMKDIR | FOF_NOERRORUI;

    void show_error(const std::string& text, bool show)
    {
        if (show && toolkit::Application)
            show_error_window(*toolkit::Application, text);
    }

    // Relative paths are taken from the working folder; 0, or the error shown.
    int read_working_folder(std::string& working, bool show_errors)
    {
        try {
            working = files::working_folder();
            return 0;
        } catch (const files::SystemError& e) {
            show_error(e.what(), show_errors);
            return e.code() != 0 ? e.code() : EIO;
        }
    }

    int copy(SHFILEOPSTRUCTA& record, const RequestLists& lists, std::uint16_t flags)
    {
        const bool show_errors = (flags & FOF_NOERRORUI) == 0;
        CopyRequest request;
        request.sources = paths_of(lists.from);
        const auto destinations = paths_of(lists.to.value_or(std::string()));
        request.destination = destinations.empty() ? std::string() : destinations.front();
        request.files_only = (flags & FOF_FILESONLY) != 0;
        request.confirm_create = (flags & (FOF_NOCONFIRMATION | FOF_NOCONFIRMMKDIR)) == 0;
        request.confirm_replace = (flags & FOF_NOCONFIRMATION) == 0;

        std::string working;
        if (const int e = read_working_folder(working, show_errors))
            return e;
        if (!toolkit::Application)
            return EINVAL; // the service's windows need the application
        CopyProgress progress;
        CopyOutcome outcome;
        {
            ServiceWindows windows(*toolkit::Application, progress, (flags & FOF_SILENT) == 0, show_errors);
            outcome = run_copy(request, files::DriveTable::from_environment(), working, windows, progress);
        }
        if (outcome.aborted)
            set_field<std::int32_t>(record, offsetof(SHFILEOPSTRUCTA, fAnyOperationsAborted), 1);
        return outcome.result;
    }
    // No progress window and no question: the delete is quick and permanent. Only an error
    // brings up a window.
    int remove(SHFILEOPSTRUCTA& record, const RequestLists& lists, std::uint16_t flags)
    {
        const bool show_errors = (flags & FOF_NOERRORUI) == 0;
        const auto paths = paths_of(lists.from);
        if (paths.empty())
            return 0; // an empty list names nothing to delete
        std::string working;
        if (const int e = read_working_folder(working, show_errors))
            return e;
        const files::DriveTable drives = files::DriveTable::from_environment();
        int result = 0;
        for (const std::string& path : paths) {
            // Asked only when the request leaves the question on.
            if ((flags & FOF_NOCONFIRMATION) == 0 && toolkit::Application
                && toolkit::Application->message_box(texts::ask_delete(path), texts::question_caption,
                       toolkit::BoxIcon::Question, { { texts::yes, toolkit::mrYes }, { texts::no, toolkit::mrNo } }, 0,
                       toolkit::mrNo)
                    != toolkit::mrYes) {
                set_field<std::int32_t>(record, offsetof(SHFILEOPSTRUCTA, fAnyOperationsAborted), 1);
                return result;
            }
            const int r = delete_typed_path(path, drives, working, [&](const std::string& text) { show_error(text, show_errors); });
            if (result == 0)
                result = r;
        }
        return result;
    }
} // namespace

void set_service_for_tests(Service service) { test_service() = std::move(service); }

int SHFileOperationA(SHFILEOPSTRUCTA* record, const RequestLists& lists)
{
    if (test_service())
        return test_service()(*record, lists);
    const auto operation = get_field<std::uint32_t>(*record, offsetof(SHFILEOPSTRUCTA, wFunc));
    const auto flags = get_field<std::uint16_t>(*record, offsetof(SHFILEOPSTRUCTA, fFlags));
    if ((flags & ~known_flags) != 0 || (operation != FO_COPY && operation != FO_DELETE)) {
        show_error(texts::unsupported_request(), (flags & FOF_NOERRORUI) == 0);
        return EINVAL;
    }
    if (operation == FO_COPY)
        return copy(*record, lists, flags);
    return remove(*record, lists, flags);
}

} // namespace fileops
